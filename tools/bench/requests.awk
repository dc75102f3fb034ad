# requests.awk: the Wine-server requests of each process, from the log of a wineserver started
# with -d1 (tools/bench.sh). Every line of that log names the server's id of the thread that
# made the request; a thread belongs to the Unix process named in its init_first_thread
# request, or, when it was started by a thread of its own process (new_thread of the process
# itself), to that thread's process. Prints "PID TOTAL" and "PID COUNT KIND" lines.
{
    id = $1
    sub(/:$/, "", id)
    line = $0
    sub(/^[0-9a-f]+: /, "", line)
    if (line ~ /^init_first_thread\( unix_pid=/) {
        pid = line
        sub(/^init_first_thread\( unix_pid=/, "", pid)
        sub(/,.*/, "", pid)
        owner[id] = pid
    }
    if (!(id in owner))
        next
    if (line ~ /^new_thread\( process=ffffffff/)
        own_thread[id] = 1
    else if (line ~ /^new_thread\(\) = 0 \{ tid=/ && own_thread[id]) {
        tid = line
        sub(/^new_thread\(\) = 0 \{ tid=/, "", tid)
        sub(/[,} ].*/, "", tid)
        owner[tid] = owner[id]
        own_thread[id] = 0
    }
    if (line ~ /^[a-z_0-9]+\(/ && line !~ /^[a-z_0-9]+\(\) = /) {
        kind = line
        sub(/\(.*/, "", kind)
        count[owner[id] " " kind]++
        total[owner[id]]++
    }
}
END {
    for (pid in total)
        print pid, total[pid]
    for (key in count) {
        split(key, part, " ")
        print part[1], count[key], part[2]
    }
}
