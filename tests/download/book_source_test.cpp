// A desktop that reads the published book (BookSource) instead of the directory: the records a
// direct download writes, from the snapshot or from the differences alone; a damaged file
// noticed; an unchanged version left alone. The publication is made here with the formats'
// writers from the entries the directory holds, as the publisher makes it.
#include "download_session.h"

#include "exit_status_check.h"
#include "product_keys.h"
#include "publish/difference_ldif.h"
#include "publish/manifest.h"
#include "publish/snapshot_ldif.h"
#include "refresh/sha256.h"
#include "test_registry.h"
#include "timing.h"
#include "unicode_text.h"

#include <windows.h>
#include <shlobj.h>
#include <winldap.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

constexpr DWORD kPublicationFacility = 0x101;
constexpr DWORD kBookSourceFacility = 0x102;
constexpr char kTop[] = "dc=tarn,dc=test";
// Everyone below the base with a cn, but for those marked as gone: a change of description
// makes an entry stop matching.
constexpr char kFilter[] = "(&(cn=*)(!(description=gone)))";

std::string Sha256Of(const std::string& bytes) {
    Sha256 sha;
    sha.Add(bytes.data(), bytes.size());
    return sha.HexDigest();
}

std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileText(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The first value of attribute of an entry, as the server sent it (UTF-8).
void TakeFirst(LDAP* session, LDAPMessage* entry, const std::string& attribute, std::string& value,
               bool* present = nullptr) {
    std::wstring name(attribute.begin(), attribute.end());
    berval** values = ldap_get_values_lenW(session, entry, &name[0]);
    if (values && values[0]) {
        value.assign(values[0]->bv_val, values[0]->bv_len);
        if (present)
            *present = true;
    }
    if (values)
        ldap_value_free_len(values);
}

// The entries the directory gives below base for request, sorted by DN.
BookEntries ReadDirectory(int port, const std::string& base, const SearchRequest& request) {
    BookEntries entries;
    LDAP* session = ldap_initW(const_cast<PWSTR>(L"127.0.0.1"), port);
    ULONG version = LDAP_VERSION3;
    ldap_set_optionW(session, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_optionW(session, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    std::wstring wideBase, filter;
    WideFromUtf8(base, wideBase);
    WideFromUtf8(request.filter, filter);
    std::wstring names[] = {L"sn", L"givenname", L"telephoneNumber", L"mail"};
    PWSTR attributes[] = {&names[0][0], &names[1][0], &names[2][0], &names[3][0], nullptr};
    LDAPMessage* answer = nullptr;
    EXPECT_EQ(ldap_search_sW(session, &wideBase[0], LDAP_SCOPE_SUBTREE, &filter[0], attributes, 0,
                             &answer),
              static_cast<ULONG>(LDAP_SUCCESS));
    for (LDAPMessage* entry = ldap_first_entry(session, answer); entry;
         entry = ldap_next_entry(session, entry)) {
        EntryRecord record;
        PWSTR dn = ldap_get_dnW(session, entry);
        record.name = Utf8FromWide(dn, wcslen(dn));
        ldap_memfreeW(dn);
        TakeFirst(session, entry, request.lastName, record.lastName);
        TakeFirst(session, entry, request.firstName, record.firstName);
        TakeFirst(session, entry, request.phone, record.phone);
        TakeFirst(session, entry, request.mail, record.mail, &record.hasMail);
        entries.push_back(record);
    }
    ldap_msgfree(answer);
    ldap_unbind(session);
    SortBookEntries(entries);
    return entries;
}

std::vector<std::string> Names(const BookEntries& entries) {
    std::vector<std::string> names;
    for (const EntryRecord& entry : entries)
        names.push_back(entry.name);
    return names;
}

// A publication in a folder of the test's own, its versions made as the publisher makes them.
class Publication {
  public:
    explicit Publication(const std::string& folder) : folder_(folder) {
        CreateDirectoryA(folder.c_str(), nullptr);
        for (const std::string& file : Files())
            DeleteFileA((folder_ + "\\" + file).c_str());
        manifest_.server = "directory.tarn.test:389";
        manifest_.request.filter = kFilter;
    }
    const std::string& Folder() const { return folder_; }
    const Manifest& Current() const { return manifest_; }
    std::string Path(const std::string& file) const { return folder_ + "\\" + file; }

    void Publish(const BookEntries& entries, const std::string& base) {
        manifest_.base = base;
        const unsigned long version = ++manifest_.version;
        const std::string snapshot = SnapshotLdif(entries, manifest_.request);
        manifest_.snapshot = SnapshotFileName(version);
        manifest_.entries = static_cast<unsigned long>(entries.size());
        manifest_.snapshotSha256 = Sha256Of(snapshot);
        WriteFileText(Path(manifest_.snapshot), snapshot);
        if (version > 1) {
            DifferenceCount count;
            const std::string difference = DifferenceLdif(last_, entries, manifest_.request, count);
            const std::string file = DifferenceFileName(version - 1, version);
            WriteFileText(Path(file), difference);
            manifest_.differences.push_back({version - 1, version, file, Sha256Of(difference)});
        }
        WriteFileText(Path(kManifestFileName), ManifestText(manifest_));
        last_ = entries;
    }
    // Takes every snapshot out of the manifest's reach, and puts them back for the publisher.
    void SetSnapshotsAside() const {
        for (const std::string& file : Files()) {
            if (file.rfind("snapshot-", 0) == 0)
                MoveFileA(Path(file).c_str(), Path(file + ".aside").c_str());
        }
    }
    void PutSnapshotsBack() const {
        for (const std::string& file : Files()) {
            if (file.size() > 6 && file.compare(file.size() - 6, 6, ".aside") == 0)
                MoveFileA(Path(file).c_str(), Path(file.substr(0, file.size() - 6)).c_str());
        }
    }
    void FlipByte(const std::string& file, size_t from_end) const {
        std::string bytes = FileText(Path(file));
        ASSERT_GT(bytes.size(), from_end);
        bytes[bytes.size() - from_end] ^= 0x20;
        WriteFileText(Path(file), bytes);
    }

  private:
    std::vector<std::string> Files() const {
        std::vector<std::string> files;
        WIN32_FIND_DATAA found;
        const HANDLE search = FindFirstFileA((folder_ + "\\*.*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return files;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                files.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return files;
    }
    std::string folder_;
    Manifest manifest_;
    BookEntries last_;
};

std::string LocalCopyFile() {
    char folder[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder);
    return std::string(folder) + "\\VEXMAR\\Voxtarion\\TARNBOOK Published Book.dat";
}

void ForgetLocalCopy() {
    DeleteFileA(LocalCopyFile().c_str());
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> StartingWith(const std::vector<std::string>& lines,
                                      const std::string& start) {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.rfind(start, 0) == 0)
            found.push_back(line);
    }
    return Sorted(found);
}

// What one desktop run with BookSource did.
struct SourceRun {
    int exit = -1;
    DWORD event = 0; // the low word; 0 where the event is not the book source's
    std::vector<std::string> strings;
    bool emptied = false;
    std::vector<std::string> records; // the address book after it, sorted
};

SourceRun RunDesktop(DownloadRun& run) {
    SourceRun result;
    run.ForgetCalls();
    if (!run.Start(false))
        return result;
    run.FinishWithoutMessageBox();
    result.exit = static_cast<int>(run.Program().ExitCode().value_or(-1));
    LoggedEvent event;
    if (LeftOneEvent(run.Program(), event) && ((event.id >> 16) & 0xFFF) == kBookSourceFacility) {
        result.event = event.id & 0xFFFF;
        result.strings = event.strings;
    }
    result.emptied = !CallsNamed(run.Calls(), "DeleteAll").empty();
    result.records = Sorted(run.AddressBookRecords());
    return result;
}

// The lines of one colour the last publisher run traced: from its "PublishBook" line on.
std::vector<std::string> PublisherTraced(const DownloadRun& run, DWORD colour) {
    const std::vector<driver::TraceLine> lines = run.AllTraces();
    size_t start = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].text.rfind("PublishBook ", 0) == 0)
            start = i;
    }
    std::vector<std::string> texts;
    for (size_t i = start; i < lines.size(); ++i) {
        if (lines[i].colour == colour)
            texts.push_back(lines[i].text);
    }
    return texts;
}

// What one run of TARNBOOK -publish did.
struct PublishRun {
    int exit = -1;
    DWORD event = 0;   // the low word; 0 where the event is not the publisher's
    Manifest manifest; // the folder's manifest after it
};

// TARNBOOK -publish folder against the directory at port, base; the directory settings are put
// back to an unreachable server for the desktop afterwards.
PublishRun RunPublisher(DownloadRun& run, const std::string& folder, int port,
                        const std::string& base,
                        const std::function<void()>& whileRunning = nullptr) {
    PublishRun result;
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, kSearchFilterValue, kFilter);
    run.UseDirectory(port, base);
    run.ForgetCalls();
    if (!run.StartWith("-publish " + folder))
        return result;
    if (whileRunning)
        whileRunning();
    run.FinishWithoutMessageBox();
    run.UseDirectory(1, base);
    result.exit = static_cast<int>(run.Program().ExitCode().value_or(-1));
    LoggedEvent event;
    if (LeftOneEvent(run.Program(), event) && ((event.id >> 16) & 0xFFF) == kPublicationFacility)
        result.event = event.id & 0xFFFF;
    LdifProblem problem;
    EXPECT_TRUE(ReadManifest(FileText(folder + "\\" + kManifestFileName), result.manifest, problem))
        << problem.what
        << "; the publisher's red lines: " << ::testing::PrintToString(PublisherTraced(run, kRed))
        << " blue: " << ::testing::PrintToString(PublisherTraced(run, kBlue)) << " exit "
        << result.exit;
    return result;
}

// The manifest's files are whole: each has the SHA-256 it names.
::testing::AssertionResult WholeVersion(const std::string& folder, const Manifest& manifest) {
    if (Sha256Of(FileText(folder + "\\" + manifest.snapshot)) != manifest.snapshotSha256)
        return ::testing::AssertionFailure() << manifest.snapshot << " is not whole";
    for (const ManifestDifference& each : manifest.differences) {
        if (Sha256Of(FileText(folder + "\\" + each.file)) != each.sha256)
            return ::testing::AssertionFailure() << each.file << " is not whole";
    }
    return ::testing::AssertionSuccess();
}

// The desktop with its directory settings and filter; BookSource where publication is given,
// its directory then unreachable.
void UseSettings(DownloadRun& run, int port, const std::string& base,
                 const Publication* publication) {
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, kSearchFilterValue, kFilter);
    if (!publication) {
        SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, kBookSourceValue, ""); // absent
        run.UseDirectory(port, base);
        return;
    }
    run.UseDirectory(1, base); // nothing listens there
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, kBookSourceValue, publication->Folder());
}

// A direct download's book (and its "Voxtarion address:" lines) against the directory now.
std::vector<std::string> DirectBook(DownloadRun& run, int port, const std::string& base,
                                    std::vector<std::string>* voiceLines = nullptr) {
    UseSettings(run, port, base, nullptr);
    const SourceRun direct = RunDesktop(run);
    EXPECT_EQ(direct.exit, 0);
    if (voiceLines)
        *voiceLines = StartingWith(LastRunTraced(run, kBlue), "Voxtarion address:");
    return direct.records;
}

class BookSource : public ::testing::Test {
  protected:
    BookSource() : run_("book-source"), publication_(run_.ProgramDir() + "\\publication") {
        ForgetLocalCopy();
    }
    ~BookSource() override { ForgetLocalCopy(); }
    DownloadRun run_;
    Publication publication_;
};

// From the snapshot, with the directory unreachable and whatever the desktop's own directory
// settings: the very records, and the walk's trace lines, of a direct download with the
// publication's settings.
TEST_F(BookSource, TheSnapshotWritesWhatADirectDownloadWrites) {
    const int port = TestbedServers::Get().Port("directory");
    const std::string base = TestbedServers::Get().Fact("base.people");
    std::vector<std::string> directVoice;
    const std::vector<std::string> direct = DirectBook(run_, port, base, &directVoice);
    ASSERT_FALSE(directVoice.empty()); // the base holds voice-mailbox-only entries
    publication_.Publish(ReadDirectory(port, base, publication_.Current().request), base);

    UseSettings(run_, port, base, &publication_);
    run_.SeedAddressBook({"Old,Record,1,old.record@tarn.test"});
    // The desktop's own attribute settings decide nothing here, even one that is not valid.
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, kLastNameAttributeValue, "no name!");
    const SourceRun read = RunDesktop(run_);
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, kLastNameAttributeValue, "");
    EXPECT_EQ(read.exit, 0);
    EXPECT_EQ(read.event, 1000u);
    ASSERT_GE(read.strings.size(), 3u);
    EXPECT_EQ(read.strings[2], "the snapshot");
    EXPECT_EQ(read.records, direct);
    EXPECT_EQ(StartingWith(LastRunTraced(run_, kBlue), "Voxtarion address:"), directVoice);

    // The same version again: nothing read beyond the manifest, nothing written.
    const SourceRun again = RunDesktop(run_);
    EXPECT_EQ(again.exit, 0);
    EXPECT_EQ(again.event, 1001u);
    EXPECT_FALSE(again.emptied);
    EXPECT_TRUE(run_.Records().empty());
    EXPECT_EQ(again.records, direct);
}

// The publisher over a directory of its own. A first version; the same directory again makes
// none (the change marker alone is asked). Twenty changes (people added, a changed phone, a
// deletion, a move out of the base, one who stops matching the filter) and one publisher run:
// one version behind, the difference alone gives the new book with every snapshot removed;
// three versions behind, three differences.
TEST_F(BookSource, ThePublisherMakesVersionsThatDesktopsReadFromTheDifferencesAlone) {
    OwnSlapd slapd("book-source", "--writable --syncprov");
    const std::string base = std::string("ou=People,") + kTop;
    const std::string& folder = publication_.Folder();
    const auto person = [&](const std::string& cn) { return "cn=" + cn + "," + base; };
    const auto publish = [&] { return RunPublisher(run_, folder, slapd.Port(), base); };
    PublishRun published = publish();
    EXPECT_EQ(published.exit, 0);
    EXPECT_EQ(published.event, 1000u);
    EXPECT_EQ(published.manifest.version, 1u);
    ASSERT_TRUE(WholeVersion(folder, published.manifest));
    SearchRequest request;
    request.filter = kFilter;
    BookEntries snapshot;
    LdifProblem problem;
    ASSERT_TRUE(ReadSnapshotLdif(FileText(folder + "\\" + published.manifest.snapshot), request,
                                 snapshot, problem));
    EXPECT_EQ(SnapshotLdif(snapshot, request),
              SnapshotLdif(ReadDirectory(slapd.Port(), base, request), request));
    // Every name and value as the directory gives it: names and values in any script, a value of
    // a megabyte.
    for (const char* unit : {"Odd", "Scripts"}) {
        const std::string other = folder + "\\" + unit;
        const std::string otherBase = "ou=" + std::string(unit) + "," + kTop;
        CreateDirectoryA(other.c_str(), nullptr);
        const PublishRun published = RunPublisher(run_, other, slapd.Port(), otherBase);
        ASSERT_EQ(published.exit, 0) << unit;
        BookEntries taken;
        ASSERT_TRUE(ReadSnapshotLdif(FileText(other + "\\" + published.manifest.snapshot), request,
                                     taken, problem))
            << unit << ": " << LdifProblemText("the snapshot", problem);
        const BookEntries given = ReadDirectory(slapd.Port(), otherBase, request);
        EXPECT_EQ(Names(taken), Names(given)) << unit;
        EXPECT_TRUE(SnapshotLdif(taken, request) == SnapshotLdif(given, request)) << unit;
    }

    published = publish();
    EXPECT_EQ(published.exit, 0);
    EXPECT_EQ(published.event, 1001u);
    EXPECT_EQ(published.manifest.version, 1u);
    EXPECT_TRUE(Contains(PublisherTraced(run_, kBlue),
                         "The directory has not changed since version 1 was published: nothing "
                         "is published."));
    // A snapshot lost from the folder is written again, though the directory has not changed.
    DeleteFileA((folder + "\\" + published.manifest.snapshot).c_str());
    published = publish();
    EXPECT_EQ(published.event, 1001u);
    EXPECT_TRUE(WholeVersion(folder, published.manifest));

    UseSettings(run_, slapd.Port(), base, &publication_);
    ASSERT_EQ(RunDesktop(run_).event, 1000u);
    {
        DirectoryAdmin admin(slapd.Port(), std::string("cn=admin,") + kTop, "secret");
        for (int n = 1; n <= 16; ++n)
            admin.Add(person("Added Person " + std::to_string(n)),
                      {"objectClass=inetOrgPerson", "cn=Added Person " + std::to_string(n),
                       "sn=Person" + std::to_string(n),
                       "mail=added" + std::to_string(n) + "@tarn.test"});
        admin.Replace(person("Mira Holt"), "telephoneNumber", "+1 555 0999");
        admin.Delete(person("Ona Vale"));
        admin.Rename("cn=Ilse Nord,ou=Engineering," + base, "cn=Ilse Nord",
                     std::string("ou=Staff,") + kTop);
        admin.Replace(person("Quill"), "description", "gone");
    }
    published = publish();
    EXPECT_EQ(published.event, 1000u);
    ASSERT_EQ(published.manifest.differences.size(), 1u);
    publication_.SetSnapshotsAside();
    UseSettings(run_, slapd.Port(), base, &publication_);
    SourceRun read = RunDesktop(run_);
    publication_.PutSnapshotsBack();
    EXPECT_EQ(read.exit, 0);
    EXPECT_EQ(read.event, 1000u);
    ASSERT_GE(read.strings.size(), 3u);
    EXPECT_EQ(read.strings[2], "1 difference from version 1");
    const std::vector<std::string> second = read.records;

    for (int step = 1; step <= 3; ++step) {
        {
            DirectoryAdmin admin(slapd.Port(), std::string("cn=admin,") + kTop, "secret");
            admin.Replace("cn=Jon Aske,ou=Research,ou=Engineering," + base, "telephoneNumber",
                          "+1 555 070" + std::to_string(step));
        }
        EXPECT_EQ(publish().event, 1000u);
    }
    publication_.SetSnapshotsAside();
    UseSettings(run_, slapd.Port(), base, &publication_);
    read = RunDesktop(run_);
    publication_.PutSnapshotsBack();
    EXPECT_EQ(read.event, 1000u) << ::testing::PrintToString(LastRunTraced(run_, kBlue))
                                 << ::testing::PrintToString(LastRunTraced(run_, kRed));
    ASSERT_GE(read.strings.size(), 3u);
    EXPECT_EQ(read.strings[2], "3 differences from version 2")
        << ::testing::PrintToString(LastRunTraced(run_, kBlue));

    EXPECT_EQ(read.records, DirectBook(run_, slapd.Port(), base));
    EXPECT_NE(read.records, second);
}

// A publisher killed before each step of writing a version leaves the one before whole, which
// a desktop reads; the next run completes, while a desktop holds the manifest open for a moment,
// and clears what the killed ones left.
TEST_F(BookSource, APublisherKilledAtAnyStepLeavesThePreviousVersionWhole) {
    OwnSlapd slapd("book-source", "--writable");
    const std::string base = std::string("ou=People,") + kTop;
    const std::string& folder = publication_.Folder();
    ASSERT_EQ(RunPublisher(run_, folder, slapd.Port(), base).manifest.version, 1u);
    {
        DirectoryAdmin admin(slapd.Port(), std::string("cn=admin,") + kTop, "secret");
        admin.Replace("cn=Mira Holt," + base, "telephoneNumber", "+1 555 0998");
    }
    for (const std::string step :
         {"Writing snapshot-00000002.ldif", "Writing difference-00000001-00000002.ldif",
          "Replacing the manifest"}) {
        const PublishRun run = RunPublisher(run_, folder, slapd.Port(), base, [&] {
            const TraceHook hook(run_.Viewer(), step,
                                 [&] { TerminateProcess(run_.Program().NativeHandle(), 9); });
            run_.Program().WaitForExit(kRunTimeoutMs);
        });
        EXPECT_EQ(run.exit, 9) << step; // killed there
        EXPECT_EQ(run.manifest.version, 1u) << step;
        EXPECT_TRUE(WholeVersion(folder, run.manifest)) << step;
        UseSettings(run_, slapd.Port(), base, &publication_);
        ForgetLocalCopy();
        const SourceRun read = RunDesktop(run_);
        EXPECT_EQ(read.exit, 0) << step;
        EXPECT_EQ(read.event, 1000u) << step;
    }
    // The next run completes, also where a desktop reads the manifest as it is replaced.
    std::atomic<HANDLE> reader{INVALID_HANDLE_VALUE};
    const PublishRun completed = RunPublisher(run_, folder, slapd.Port(), base, [&] {
        const TraceHook hook(run_.Viewer(), "Replacing the manifest", [&] {
            reader = CreateFileA((folder + "\\" + kManifestFileName).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        });
        driver::PollUntil([&] { return reader != INVALID_HANDLE_VALUE; }, kRunTimeoutMs);
        Sleep(1000);
        CloseHandle(reader);
        run_.Program().WaitForExit(kRunTimeoutMs);
    });
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(completed.exit, 0);
    EXPECT_EQ(completed.manifest.version, 2u);
    EXPECT_TRUE(WholeVersion(folder, completed.manifest));
    WIN32_FIND_DATAA found;
    const HANDLE left = FindFirstFileA((folder + "\\*.new").c_str(), &found);
    EXPECT_EQ(left, INVALID_HANDLE_VALUE) << found.cFileName;
    if (left != INVALID_HANDLE_VALUE)
        FindClose(left);
}

// A publisher that may not publish leaves the version as it was: while another holds the
// folder's lock, or the directory shrank past ShrinkLimit, exit 1 and event 1101; a folder that
// cannot be written, exit 3 and event 1200, with a red line naming it.
TEST_F(BookSource, APublisherThatMayNotPublishLeavesTheVersionAsItWas) {
    OwnSlapd slapd("book-source", "--writable");
    const int port = slapd.Port();
    const std::string base = std::string("ou=People,") + kTop;
    const std::string& folder = publication_.Folder();
    ASSERT_EQ(RunPublisher(run_, folder, port, base).manifest.version, 1u);
    const HANDLE held =
        CreateFileA((folder + "\\publish.lock").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const PublishRun busy = RunPublisher(run_, folder, port, base);
    CloseHandle(held);
    EXPECT_EQ(busy.exit, 1);
    EXPECT_EQ(busy.event, 1101u);
    EXPECT_EQ(busy.manifest.version, 1u);
    EXPECT_TRUE(Contains(PublisherTraced(run_, kBlue),
                         "Nothing was published: another publisher is at work in " + folder + "."));

    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, kShrinkLimitValue, "1");
    {
        DirectoryAdmin admin(port, std::string("cn=admin,") + kTop, "secret");
        admin.Delete("cn=Ona Vale," + base);
        admin.Delete("cn=Mira Holt," + base);
    }
    const PublishRun shrunk = RunPublisher(run_, folder, port, base);
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, kShrinkLimitValue, "0");
    EXPECT_EQ(shrunk.exit, 1);
    EXPECT_EQ(shrunk.event, 1101u);
    EXPECT_EQ(shrunk.manifest.version, 1u);
    EXPECT_TRUE(WholeVersion(folder, shrunk.manifest));

    const std::string missing = folder + "\\missing";
    run_.UseDirectory(port, base);
    ASSERT_TRUE(run_.StartWith("-publish " + missing));
    run_.FinishWithoutMessageBox();
    run_.UseDirectory(1, base);
    EXPECT_TRUE(EndedWith(run_.Program(), kBookUnreachable));
    LoggedEvent event;
    ASSERT_TRUE(LeftOneEvent(run_.Program(), event));
    EXPECT_EQ(event.id & 0xFFFF, 1200u);
    EXPECT_EQ(
        StartingWith(PublisherTraced(run_, kRed), "The folder " + missing + " cannot be written")
            .size(),
        1u);
}

// A flipped byte in the difference: noticed, and the snapshot gives the book. A flipped byte in
// the snapshot with no usable difference: the book as it was, a red line naming the file, then
// the fallback: none ends the run; directory downloads.
TEST_F(BookSource, ADamagedFileIsNoticedAndNamed) {
    const int port = TestbedServers::Get().Port("directory");
    const std::string base = TestbedServers::Get().Fact("base.people");
    const BookEntries entries = ReadDirectory(port, base, publication_.Current().request);
    publication_.Publish(BookEntries(entries.begin() + 1, entries.end()), base);
    UseSettings(run_, port, base, &publication_);
    ASSERT_EQ(RunDesktop(run_).event, 1000u);
    publication_.Publish(entries, base);
    const std::string difference = DifferenceFileName(1, 2);
    publication_.FlipByte(difference, 3);
    SourceRun read = RunDesktop(run_);
    EXPECT_EQ(read.event, 1000u);
    ASSERT_GE(read.strings.size(), 3u);
    EXPECT_EQ(read.strings[2], "the snapshot");
    EXPECT_EQ(
        StartingWith(LastRunTraced(run_, kBlue), "The snapshot is read: " + difference).size(), 1u);
    const std::vector<std::string> written = read.records;

    ForgetLocalCopy();
    publication_.FlipByte(publication_.Current().snapshot, 5);
    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, kBookSourceFallbackValue, "none");
    read = RunDesktop(run_);
    EXPECT_TRUE(EndedWith(run_.Program(), kBookUnreachable));
    EXPECT_EQ(read.event, 1200u);
    EXPECT_FALSE(read.emptied);
    EXPECT_EQ(read.records, written);
    const std::vector<std::string> red = LastRunTraced(run_, kRed);
    ASSERT_FALSE(red.empty());
    EXPECT_NE(red[0].find(publication_.Current().snapshot), std::string::npos) << red[0];

    SetRegistryString(HKEY_CURRENT_USER, TARN_NOTES_KEY, kBookSourceFallbackValue, "directory");
    run_.UseDirectory(port, base);
    read = RunDesktop(run_);
    EXPECT_EQ(read.exit, 0);
    EXPECT_EQ(read.event, 0u); // the download's own event
    EXPECT_TRUE(read.emptied);
    EXPECT_EQ(StartingWith(LastRunTraced(run_, kBlue),
                           "The book published in " + publication_.Folder() + " cannot be used")
                  .size(),
              1u);
}

// A local copy that cannot be removed before the book is emptied (another program holds it)
// would make a later run take the new book for the publication's version: the book stays.
TEST_F(BookSource, ALocalCopyThatCannotBeSetAsideLeavesTheBookAsItWas) {
    const int port = TestbedServers::Get().Port("directory");
    const std::string base = TestbedServers::Get().Fact("base.people");
    publication_.Publish(ReadDirectory(port, base, publication_.Current().request), base);
    UseSettings(run_, port, base, &publication_);
    const SourceRun read = RunDesktop(run_);
    ASSERT_EQ(read.event, 1000u);
    const HANDLE held = CreateFileA(LocalCopyFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    UseSettings(run_, port, base, nullptr);
    const SourceRun direct = RunDesktop(run_);
    CloseHandle(held);
    EXPECT_TRUE(EndedWith(run_.Program(), kBookUnchanged));
    LoggedEvent event;
    ASSERT_TRUE(LeftOneEvent(run_.Program(), event));
    EXPECT_EQ(event.id & 0xFFFF, 1101u);
    EXPECT_FALSE(direct.emptied);
    EXPECT_EQ(direct.records, read.records);
    EXPECT_EQ(StartingWith(LastRunTraced(run_, kRed),
                           "The local copy of the published book cannot be set aside")
                  .size(),
              1u);
}

} // namespace
