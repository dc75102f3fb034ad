// The directory settings stored per user in every type, at the lengths around their
// 260-byte buffers: a value that fits is taken, one that does not leaves the machine-wide
// value in place, and an empty notes.ini path names no file.
#include "tarnbook_app.h"

#include "product_keys.h"
#include "stored_values.h"
#include "test_registry.h"

#include <gtest/gtest.h>

namespace {

struct Setting {
    const char* name;
    const char* machineWide; // stored as a string, read first
    std::string (*stored)(std::size_t length);
    // The field as text, and what it reads when the per-user value is taken; a value not
    // taken leaves the machine-wide one.
    std::string (*field)(const CTarnbookApp& app);
    std::string (*taken)(const std::string& stored);
};

const Setting kSettings[] = {
    // An empty value counts as absent: the machine-wide value stays.
    {"HostName", "ldap.example.org", [](std::size_t n) { return OfLength(n, "host"); },
     [](const CTarnbookApp& app) { return app.HostName(); },
     [](const std::string& stored) { return stored.empty() ? "ldap.example.org" : stored; }},
    {"SearchBase", "o=Example", [](std::size_t n) { return OfLength(n, "o=Base"); },
     [](const CTarnbookApp& app) { return app.SearchBase(); },
     [](const std::string& stored) { return stored.empty() ? "o=Example" : stored; }},
    {"PortNumber", "389", [](std::size_t n) { return OfLength(n, "636"); },
     [](const CTarnbookApp& app) { return std::to_string(app.PortNumber()); },
     [](const std::string& stored) { return stored.empty() ? std::string("389") : "636"; }},
    {"NotesIniPath", "C:\\Notes\\notes.ini",
     [](std::size_t n) { return OfLength(n, "D:\\", "notes.ini"); },
     [](const CTarnbookApp& app) { return std::string(app.NotesIniPath()); },
     [](const std::string& stored) { return stored.empty() ? "C:\\Notes\\notes.ini" : stored; }},
};

TEST(StoredSettings, APerUserValueIsTakenOnlyWhenItFitsItsBuffer) {
    for (const Setting& setting : kSettings) {
        for (const StoredForm& form : kStoredForms) {
            for (std::size_t length : kStoredLengths) {
                ResetProductRegistry();
                SetRegistryString(HKEY_LOCAL_MACHINE, TARN_NOTES_KEY, setting.name,
                                  setting.machineWide);
                const std::string stored = setting.stored(length);
                SetRegistryBytes(HKEY_CURRENT_USER, TARN_NOTES_KEY, setting.name, form.type,
                                 stored);
                CTarnbookApp app;
                app.GetUserInfo(HKEY_LOCAL_MACHINE);
                app.GetUserInfo(HKEY_CURRENT_USER);
                const std::string expected =
                    FitsPathBuffer(length) ? setting.taken(stored) : setting.machineWide;
                EXPECT_EQ(setting.field(app), expected)
                    << setting.name << ", " << Describe(form, length);
            }
        }
    }
    ResetProductRegistry();
}

} // namespace
