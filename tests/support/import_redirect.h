// Redirects a call that this test program imports from a system library to a function of the
// test's own, through the program's import table: the code under test, linked into the test
// program, then calls the replacement.
#ifndef TARN_IMPORT_REDIRECT_H
#define TARN_IMPORT_REDIRECT_H

// Points this program's import of library!name at replacement; returns the old target, or
// nullptr when the program does not import it by that name.
void* RedirectImport(const char* library, const char* name, void* replacement);

// Redirects an import for its lifetime and restores it on every way out of a test.
class ImportRedirect {
  public:
    ImportRedirect(const char* library, const char* name, void* replacement);
    ~ImportRedirect();
    ImportRedirect(const ImportRedirect&) = delete;
    ImportRedirect& operator=(const ImportRedirect&) = delete;
    // The function the import pointed at before, for a replacement that passes calls on.
    void* Original() const { return original_; }

  private:
    const char* library_;
    const char* name_;
    void* original_;
};

#endif
