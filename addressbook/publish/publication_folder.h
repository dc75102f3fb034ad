// The publication's folder as the publisher writes it: every file under a new name and flushed
// first, the manifest last in one step, older files removed only after that.
#ifndef TARN_PUBLICATION_FOLDER_H
#define TARN_PUBLICATION_FOLDER_H

#endif
