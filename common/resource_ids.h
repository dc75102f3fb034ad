// Identifiers of the texts and dialog templates in the resource library tarnlang.dll.
// Shared by both programs and by the stand-in resource library's .rc file, so it holds
// plain preprocessor constants only.
#ifndef TARN_RESOURCE_IDS_H
#define TARN_RESOURCE_IDS_H

// Texts
#define IDS_PROGRESS_CAPTION 5          // caption of messages 135/146, title of the progress window
#define IDS_BLOCKING_WINDOW_TITLE 31    // window title the setup program waits for
#define IDS_SETUP_CAPTION 125           // message box caption (setup, discovery)
#define IDS_STATUS_CONNECTING 129       // status while connecting to the directory
#define IDS_PROGRESS_TEXT 130           // text of the progress window
#define IDS_NO_ENTRIES 135              // the directory search found nothing
#define IDS_NOTHING_WRITTEN 146         // no record written to the address book
#define IDS_STATUS_SEARCHING 58224      // status while searching the directory
#define IDS_LIBRARY_NOT_LOADED 58225    // format: a library could not be loaded (%s: its file name)
#define IDS_ENTRY_POINT_MISSING 58226   // format: bridge export missing (%s: its name)
#define IDS_STATUS_FIRST 58227          // first status text of the setup operations
#define IDS_CLOSE_WINDOW_QUESTION 58232 // question while the window of text 31 is open
#define IDS_NOTES_NOT_FOUND 58275       // question: locate the Notes library by hand?
#define IDS_BROWSE_NOTES_TITLE 58276    // title of the file dialog for nnotes.dll
#define IDS_STATUS_SERVER_INSTALL 61519 // format: status per database (%s: its full path)
#define IDS_DATABASE_FILTER 61520       // file types of the database dialog, '|'-separated
#define IDS_SERVER_INSTALL_CAPTION 61521 // database dialog title, server install caption
#define IDS_STATUS_INSTALLING 61522      // status while installing without the install flag
#define IDS_TARNBOOK_CAPTION 61543       // message box caption of the download program

// Dialog templates and their items
#define IDD_SERVER_OPTION 210
#define IDC_OPTION_FIRST 1043
#define IDC_OPTION_SECOND 1044
#define IDD_USER_INFO 234
#define IDC_HOST_NAME 1089
#define IDC_SEARCH_BASE 1090
#define IDD_PROGRESS 309
#define IDC_PROGRESS_TEXT 793
#define IDC_PROGRESS_BAR 792
#define IDD_STATUS 312
#define IDC_STATUS_TEXT 785

#endif
