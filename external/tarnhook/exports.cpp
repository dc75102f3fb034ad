// The exports of the stand-in bridge. Each call returns the result the call script sets for
// it, else the reference bridge's result, and is recorded in the call log. A call does its
// work on the address book only when its result means success, so that a scripted failure
// leaves the address book as it was.
#include "address_book.h"
#include "bridge_call.h"
#include "call_record.h"

#include <string>
#include <utility>
#include <vector>

using tarnhook::ArgText;
using tarnhook::BridgeCall;

extern "C" {

int __cdecl InitNotesSession(void) {
    static int calls = 0;
    const BridgeCall call("InitNotesSession", ++calls, {});
    return call.Return(call.Scripted().value_or(0));
}

int __cdecl CloseNotesSession(void) {
    static int calls = 0;
    const BridgeCall call("CloseNotesSession", ++calls, {});
    return call.Return(call.Scripted().value_or(0));
}

// Success: non-zero. The reference result is 1, or 0 when the file cannot be created.
int __cdecl OpenAddressBook(const char* mailServer, int flag) {
    static int calls = 0;
    const BridgeCall call("OpenAddressBook", ++calls, {ArgText(mailServer), std::to_string(flag)});
    int result = call.Scripted().value_or(1);
    if (result != 0 && !tarnhook::OpenAddressBookFile() && !call.Scripted())
        result = 0;
    return call.Return(result);
}

// Success: 0. The reference result is 0, or 1 when the file cannot be written.
int __cdecl DeleteAll(int flag) {
    static int calls = 0;
    const BridgeCall call("DeleteAll", ++calls, {std::to_string(flag)});
    int result = call.Scripted().value_or(0);
    if (result == 0 && !tarnhook::EmptyAddressBook() && !call.Scripted())
        result = 1;
    return call.Return(result);
}

// Success: non-zero. The reference result is 1, or 0 when the record cannot be written. The
// texts come in the system code page; the address book holds them in UTF-8.
int __cdecl AddNewAddressBookRecord(const char* lastName, const char* firstName, const char* phone,
                                    const char* mail, int flag) {
    static int calls = 0;
    const std::vector<std::string> fields = {ArgText(lastName), ArgText(firstName), ArgText(phone),
                                             ArgText(mail)};
    std::vector<std::string> args = fields;
    args.push_back(std::to_string(flag));
    const BridgeCall call("AddNewAddressBookRecord", ++calls, std::move(args));
    return call.Return(tarnhook::WriteRecord(call, fields, true));
}

// The same with every text in UTF-16; the call log shows them in UTF-8.
int __cdecl AddNewAddressBookRecordW(const wchar_t* lastName, const wchar_t* firstName,
                                     const wchar_t* phone, const wchar_t* mail, int flag) {
    static int calls = 0;
    const std::vector<std::string> fields = {
        tarnhook::Utf8FromWide(lastName), tarnhook::Utf8FromWide(firstName),
        tarnhook::Utf8FromWide(phone), tarnhook::Utf8FromWide(mail)};
    std::vector<std::string> args = fields;
    args.push_back(std::to_string(flag));
    const BridgeCall call("AddNewAddressBookRecordW", ++calls, std::move(args));
    return call.Return(tarnhook::WriteRecord(call, fields, false));
}

int __cdecl CloseAddressBook(void) {
    static int calls = 0;
    const BridgeCall call("CloseAddressBook", ++calls, {});
    tarnhook::WriteRecordCount();
    return call.Return(call.Scripted().value_or(0));
}

int __cdecl InstallVoxtarionComponents(int flag) {
    static int calls = 0;
    const BridgeCall call("InstallVoxtarionComponents", ++calls, {std::to_string(flag)});
    return call.Return(call.Scripted().value_or(0));
}

int __cdecl UnInstallVoxtarionComponents(void) {
    static int calls = 0;
    const BridgeCall call("UnInstallVoxtarionComponents", ++calls, {});
    return call.Return(call.Scripted().value_or(0));
}

int __cdecl ServerInstallVoxtarionComponents(const char* databasePath, int flag) {
    static int calls = 0;
    const BridgeCall call("ServerInstallVoxtarionComponents", ++calls,
                          {ArgText(databasePath), std::to_string(flag)});
    return call.Return(call.Scripted().value_or(0));
}

} // extern "C"
