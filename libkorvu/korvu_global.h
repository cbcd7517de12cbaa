#ifndef LIBKORVU_KORVU_GLOBAL_H
#define LIBKORVU_KORVU_GLOBAL_H

#include <QtCore/qglobal.h>

#if defined(KORVU_LIBRARY)
#define KORVU_EXPORT Q_DECL_EXPORT
#else
#define KORVU_EXPORT Q_DECL_IMPORT
#endif

#endif // LIBKORVU_KORVU_GLOBAL_H
