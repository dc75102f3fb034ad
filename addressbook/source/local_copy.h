#ifndef TARN_LOCAL_COPY_H
#define TARN_LOCAL_COPY_H
#endif
