# tarn_message_table(<program> <library> <file.mc>): compiles the event log texts of a program
# with the toolchain's windmc into a message table in the program's resources, and gives the
# library that reports the events the generated header of message ids.
function(tarn_message_table program library mc)
    get_filename_component(name ${mc} NAME_WE)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${name})
    string(REGEX REPLACE "windres$" "windmc" windmc "${CMAKE_RC_COMPILER}")
    add_custom_command(
        OUTPUT ${out}/${name}.rc ${out}/${name}.h ${out}/MSG00409.bin
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out}
        COMMAND ${windmc} -h ${out} -r ${out} ${CMAKE_CURRENT_SOURCE_DIR}/${mc}
        DEPENDS ${mc}
        COMMENT "Message table ${name}")
    add_custom_target(${name}_header DEPENDS ${out}/${name}.h)
    add_dependencies(${library} ${name}_header)
    target_include_directories(${library} PUBLIC ${out})
    target_sources(${program} PRIVATE ${out}/${name}.rc)
endfunction()
