// The application base's start-up, seen through the test program's own import of the
// platform's ghosting switch: the call is redirected to a recorder in the import table.
#include "app_base.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

int g_ghostingCalls = 0;

VOID WINAPI RecordGhostingCall() {
    ++g_ghostingCalls;
}

// Points this program's import of user32!name at replacement; returns the old target.
void* RedirectImport(const char* name, void* replacement) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name; ++library) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + library->Name), "user32.dll") != 0)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName =
                reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), name) != 0)
                continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                           &protection);
            void* old = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return old;
        }
    }
    return nullptr;
}

// Notes, when its start-up hook runs, whether ghosting was switched off already.
class StartUpProbe : public ApplicationBase {
  public:
    int callsAtStartUp = -1;

  protected:
    bool InitInstance() override {
        callsAtStartUp = g_ghostingCalls;
        return false;
    }
};

TEST(ApplicationStartUp, GhostingIsSwitchedOffOnceBeforeTheProgramMakesAnyWindow) {
    void* original = RedirectImport("DisableProcessWindowsGhosting",
                                    reinterpret_cast<void*>(&RecordGhostingCall));
    ASSERT_NE(original, nullptr) << "this program does not import DisableProcessWindowsGhosting";
    StartUpProbe probe;
    probe.Run(GetModuleHandleA(nullptr), "probe.exe");
    RedirectImport("DisableProcessWindowsGhosting", original);
    EXPECT_EQ(probe.callsAtStartUp, 1) << "not called before the start-up hook";
    EXPECT_EQ(g_ghostingCalls, 1);
}

} // namespace
