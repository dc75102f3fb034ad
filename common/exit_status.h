// The programs' exit statuses, for the logon and deployment scripts that start them. Each
// number keeps its meaning from release to release; docs/admin.md lists them.
#ifndef TARN_EXIT_STATUS_H
#define TARN_EXIT_STATUS_H

// TARNBOOK.
enum TarnbookExitStatus : int {
    // The address book was emptied and refilled from the whole directory, or left alone where
    // it holds what the directory would give.
    kBookRefreshed = 0,
    // The address book was left as it was: the settings dialog was cancelled, another run was
    // refreshing it, or the download failed before emptying it (no entries found, a search
    // refused by the server, a book that would shrink beyond ShrinkLimit, no resource library).
    kBookUnchanged = 1,
    // The address book was emptied but holds only part of the directory: the search was cut
    // short, the bridge refused a record, or an entry could not be written.
    kBookIncomplete = 2,
    // The directory server or Notes could not be used: the connection, the bind or the
    // search's answer failed, the entries found would give no record, or Notes, the bridge,
    // its entry points, the Notes session or the address book could not be had. The address
    // book was left as it was.
    kBookUnreachable = 3,
    // Another run of this user has held the address book longer than a run takes (it hangs,
    // or waits for an answer in a window): this run wrote nothing.
    kBookHeldByStuckRun = 4,
};

// TARNBOOK /setbindpassword.
enum SetBindPasswordExitStatus : int {
    kPasswordStored = 0,
    // Nothing was stored: empty input, the dialog cancelled, or neither key could be written.
    kPasswordNotStored = 1,
};

// TARNSETUP.
enum TarnsetupExitStatus : int {
    kSetupDone = 0,
    // The user ended the setup: Cancel at the window check, the option or the file dialog.
    kSetupCancelled = 1,
    // nnotes.dll was found nowhere, and the user did not pick a loadable one.
    kSetupNotesNotFound = 2,
    // tarnlang.dll or tarnhook.dll could not be loaded, or the bridge lacks an entry point.
    kSetupLibraryMissing = 3,
    // notes.ini could not be updated.
    kSetupNotesIniNotWritten = 4,
    // The bridge's install returned a negative result: the extension libraries were taken
    // out of notes.ini.
    kSetupInstallRefused = 5,
};

#endif
