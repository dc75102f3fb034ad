// The address book download program: reads the directory settings, lets the user confirm
// them, opens a Notes session through the bridge and downloads the directory.
#ifndef TARN_TARNBOOK_APP_H
#define TARN_TARNBOOK_APP_H

#include "app_base.h"
#include "connection/directory_access.h"
#include "exit_status.h"
#include "path_text.h"
#include "refresh/book_digest.h"
#include "refresh/marker_verdict.h"
#include "refresh/refresh_rule.h"
#include "run_lock.h"
#include "search/search_request.h"

#include <windows.h>
#include <winldap.h>

#include <set>
#include <string>
#include <vector>

struct BookPlan;
struct DirectorySearch;
struct EntryRecord;
class EntryRecords;
struct LocalCopy;
struct Manifest;
struct PublishedBook;
struct SourceDecision;

struct ChangeMarker;

class CTarnbookApp : public ApplicationBase {
  public:
    CTarnbookApp();

    int InitLotus();
    void CloseLotus();

    void GetUserInfo(HKEY root);
    // The policy keys over what the product keys gave: a value a policy holds wins.
    void GetPolicyInfo();
    // True for a value of the Notes key that a policy sets.
    bool IsManaged(const char* name) const;
    bool EditUserInfo();
    void SaveUserInfo();

    int DownloadAddressBook();
    int DoLDAPConnect();
    // The host and port that messages and the run's event name: the stored port, or the
    // default port of the connection's security.
    void NameServerInUse();
    int DoDownloadAdddressBook();
    // Reads MailServer from notes.ini and opens the address book; 0, reported, where the bridge
    // cannot open it.
    int OpenBook();
    // From the plan on (book_walk.cpp): writes records, a directory search's that ended with code
    // or a published book's (LDAP_SUCCESS), into the open address book. Only records from the
    // directory may be left alone by Refresh changed and are kept as the last whole refresh.
    int WriteBook(EntryRecords& records, ULONG code, bool fromDirectory);
    int IsMailAddress(const std::string& mail);
    // With Refresh changed, in silent mode, over a whole directory every entry of which can be
    // written: 1 when the address book would get exactly the records of this user's last whole
    // refresh, which is then left alone.
    int IsBookUnchanged(const EntryRecords& records);
    // Where ShrinkLimit guards the book and the last complete run on this computer came from
    // the same server, search base, filter and attributes: 1 when the download would write too
    // few records against it, which is then reported, and the book left as it was. Where there
    // is no such count, a blue line says that the download goes on unguarded.
    int IsBookShrinking(unsigned long records);
    // Reports each entry the plan leaves out in red; where it would write no record of the
    // entries found, reports that as the run's failure and returns 0, the book left as it was.
    int AcceptBookPlan(const BookPlan& plan, unsigned long entries, const std::string& caption);
    // Keeps records as the count that the next runs' guard compares with.
    void RememberShrinkCount(unsigned long records) const;
    // With Refresh changed, in silent mode, before any search: 1 when the directory server's
    // change marker is the one kept with this user's last whole refresh, which is then left
    // alone. Keeps the marker read for the record of the whole refresh that may follow.
    int IsDirectoryUnchanged();
    // The run ends with the book as the last whole refresh wrote it: as refreshed. Returns 1.
    int LeaveBookAlone(const LastRefresh& last);
    // The server's change marker now, as kept with a record; DirSync asks from last's.
    std::string ReadMarker(const LastRefresh* last, ChangeMarker& read) const;
    // In silent mode with RefreshDelay: a random number of seconds up to it, traced.
    unsigned long WholeDownloadDelay() const;
    static void WaitSeconds(unsigned long seconds);

    // One refresh at a time for this user: 0, said in a message box or a blue trace line,
    // where another run holds the lock.
    int TakeRunLock();
    // Where another run holds the lock: 1 when it has held it longer than a run takes, which
    // is then reported as the run's failure.
    int IsRunLockStuck();

    // TARNBOOK /setbindpassword: reads the bind password, encrypts and stores it.
    int SetBindPassword();

    // TARNBOOK -publish FOLDER (publish_run.cpp): downloads the directory, with the settings a
    // silent run reads, and publishes it into folder (UTF-8) as a new version where its entries
    // changed. Needs neither Notes nor the bridge. Returns 1 where the publication is current.
    int PublishBook(const std::string& folder);

    // With BookSource set (book_source_run.cpp): the book from the publication in that folder
    // instead of the directory. Written, Unchanged and Failed end the run; Unusable leaves the
    // book as it was and lets BookSourceFallback decide.
    enum class SourceOutcome { Written, Unchanged, Failed, Unusable };
    SourceOutcome ReadPublishedBook();
    // BookSourceFallback, after an unusable publication: true (a blue line) where the directory
    // is downloaded instead; false (a red line, the run failed) where it is "none".
    bool FallBackToDirectory();
    // The steps of ReadPublishedBook (book_source_steps.cpp).
    void ReadOwnLocalCopy(LocalCopy& copy) const;
    SourceOutcome LeavePublishedBookAlone();
    bool ReadPublishedEntries(const Manifest& manifest, const SourceDecision& decision,
                              std::string copied, PublishedBook& book);
    void KeepLocalCopy(const Manifest& manifest, std::string snapshot);
    // The run's event where the book came from, or was left as, the publication.
    void PickSourceEvent(DWORD& id, std::vector<std::string>& strings) const;

    // The settings in use, as read and confirmed.
    bool IsSilent() const { return m_bSilent != 0; }
    int PortNumber() const { return m_nPortNumber; }
    const std::string& HostName() const { return m_strHostName; }
    const std::string& SearchBase() const { return m_strSearchBase; }
    const char* NotesIniPath() const { return m_szNotesIniPath; }
    const DirectoryAccess& Access() const { return m_access; }

  protected:
    bool InitInstance() override;
    int ExitInstance() override;
    // The reader of a directory server that fell silent still waits inside the LDAP library, or
    // the Kerberos check inside the security package.
    bool LeavesThreadInLibrary() const override { return m_bSessionHeld || m_bCheckLeft; }

  private:
    // A failure or notice: a system-modal message box, or a red trace line in silent mode.
    void Report(const std::string& text, const std::string& caption);
    // A red trace line that is also the run's failure, for its event.
    void TraceFailure(const std::string& text);
    BookDigest NewBookDigest() const;
    // The digest of where a download comes from: the server, the search base, the filter and
    // the attribute of each field.
    std::string SourceDigest() const;
    // The search request from the settings that say what the book takes; 0, reported, where
    // one of them is not valid. Without directory, only those that decide any book (a book read
    // from a publication): BookSource, BookSourceFallback, ShrinkLimit.
    int TakeBookSettings(bool directory = true);
    // Whom a record of a whole refresh made by this run belongs to.
    RecordOwner CurrentRecordOwner() const;
    // The record of this user's last whole refresh, where it belongs to this computer, this
    // Notes installation, this bridge and this TARNBOOK: 1. Else 0, with a blue line that says
    // why the address book is refreshed whole.
    int ReadOwnLastRefresh(LastRefresh& last) const;
    void TraceRefreshVerdict(RefreshVerdict verdict, const LastRefresh& last) const;
    void TraceMarkerVerdict(MarkerVerdict verdict, const LastRefresh& last,
                            const std::string& note) const;
    // The run's one event in the Application log, from how it ended.
    void ReportRunOutcome();
    // The publisher's event: its id and inserts.
    void PickPublishEvent(DWORD& id, std::vector<std::string>& strings) const;
    // The publisher's steps (publish_run.cpp, publish_steps.cpp).
    int SearchForPublication(std::vector<EntryRecord>& entries);
    // The new version of entries (sorted), the difference from current where it has the same
    // source (sameSource), and the manifest last; current's number is continued.
    int WritePublication(const Manifest* current, bool sameSource,
                         std::vector<EntryRecord>& entries, const std::string& marker,
                         unsigned keep);
    // The folder could not be written: a red line, exit status 3. Returns 0.
    int PublicationFolderFailed(const std::string& why);
    int KeepPublicationCurrent(const Manifest& current, const std::string& marker);
    // Takes the value name of key (the per-user key or the machine-wide one) into its setting;
    // false where key does not hold it, or it does not fit (for SearchFilter, noted as the
    // filter's problem), or it is empty.
    bool TakeSetting(HKEY key, const char* name);
    // Takes value as the setting name; false (nothing taken) for an empty NotesIniPath.
    bool TakeSettingText(const char* name, const std::string& value);

    int m_bSilent = 0;
    int m_nPortNumber = 0;
    LDAP* m_hLdap = nullptr;
    // The directory fell silent during the search and its reader still waits in m_hLdap.
    bool m_bSessionHeld = false;
    // The Kerberos check before the bind did not return within its bound.
    bool m_bCheckLeft = false;
    std::string m_strSearchBase; // UTF-8: it goes to the server as it is
    std::string m_strHostName;
    char m_szNotesIniPath[kPathBufferSize] = "notes.ini";
    // What the run's ending means (exit_status.h), kept up to date as the run goes on; the
    // process's exit status.
    int m_nExitStatus = kBookUnchanged;
    DirectoryAccess m_access;        // how to sign in to the directory
    std::string m_strBoundAccount;   // the account signed in as; empty when anonymous
    std::set<std::string> m_managed; // the values that a policy sets
    std::string m_strRefresh;        // Refresh, as stored
    std::string m_strRefreshDays;    // RefreshDays, as stored
    std::string m_strRefreshDelay;   // RefreshDelay, as stored
    // What the address book takes, as stored: SearchFilter and the attribute of each field (in
    // UTF-8), ShrinkLimit.
    struct {
        std::string filter, lastName, firstName, phone, mail, shrinkLimit;
        bool filterTaken = false;  // a layer gave a SearchFilter that could be read
        std::string filterProblem; // why one that is set could not be read
        // The first policy value that decides the book and could not be used: one of the
        // directory's settings (server, base, filter, attributes), or one that decides any book
        // (BookSource, BookSourceFallback, ShrinkLimit).
        std::string policyProblem, bookPolicyProblem;
    } m_bookSettings;
    SearchRequest m_request; // the search the settings ask for
    unsigned m_nShrinkLimit = 0;
    RunLock m_runLock; // held from the start of a refresh to the end of the process
    RefreshRule m_refresh;

    // What the run's event tells.
    enum class Failed { Nothing, Directory, Notes } m_failed = Failed::Nothing;
    std::string m_strProblem;     // the last failure reported or traced in red
    int m_nPortInUse = 0;         // the stored port, or the default of the security in use
    std::string m_strServer;      // host:port as connected to
    std::string m_strMailServer;  // MailServer of notes.ini
    unsigned long m_nEntries = 0; // entries the search returned
    unsigned long m_nRecordsWritten = 0;
    bool m_bSettingsCancelled = false;
    bool m_bBookLeftAlone = false; // Refresh changed found nothing to write
    std::string m_strLastRefresh;  // when the whole refresh it kept was made
    std::string m_strMarker;       // the change marker read before the whole download, as kept
    bool m_bPasswordCommand = false;

    // The published book. BookSource (UTF-8), BookSourceFallback and PublishKeep as stored.
    std::string m_strBookSource;
    std::string m_strBookSourceFallback;
    std::string m_strPublishKeep;
    // The publisher's run (publish_run.cpp).
    struct {
        bool running = false;       // this run is TARNBOOK -publish
        std::string folder;         // the publication's folder, UTF-8
        unsigned long version = 0;  // the version published or found current
        unsigned long previous = 0; // the version before it, 0 for the first
        unsigned long changes = 0;  // entries added, deleted or changed against previous
        bool unchanged = false;     // the directory held the current version's entries
    } m_publish;
    // The desktop's read of the published book (book_source_run.cpp).
    struct {
        bool used = false;         // the book came from, or was left as, the publication
        unsigned long version = 0; // the publication's version written or found unchanged
        std::string how;           // "the snapshot", "3 differences from version 39"
        std::string folder;        // BookSource in the code page, for texts
    } m_source;
    // The settings the dialog shows, as the product keys gave them before any policy.
    struct {
        std::string hostName;
        std::string searchBase;
        int portNumber = 0;
    } m_ownSettings;
};

#endif
