// Registry keys of the product, looked up under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
#ifndef TARN_PRODUCT_KEYS_H
#define TARN_PRODUCT_KEYS_H

// Trace settings (per user).
#define TARN_PRODUCT_KEY "SOFTWARE\\VEXMAR\\Voxtarion\\Varnel Desktop"
// Notes location and directory settings.
#define TARN_NOTES_KEY TARN_PRODUCT_KEY "\\Lotus Notes"

#endif
