// Identifiers of the password dialog, a template of TARNBOOK's own: the resource library's
// templates are fixed.
#ifndef TARN_PASSWORD_DLG_IDS_H
#define TARN_PASSWORD_DLG_IDS_H

#define IDD_BIND_PASSWORD 400
#define IDC_BIND_PASSWORD 401

#endif
