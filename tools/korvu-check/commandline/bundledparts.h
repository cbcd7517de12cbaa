#ifndef KORVUCHECK_BUNDLEDPARTS_H
#define KORVUCHECK_BUNDLEDPARTS_H

#include "commandline/checkoptions.h"

// The suite, the stand-in korvud and the two plug-in folders that come with
// korvu-check. They are found relative to korvu-check's own executable, never
// through a path of the machine it was built on: in an installed tree
// (bin/korvu-check beside lib/korvu-delivery-checks/) or in the build tree.
namespace BundledParts {

// The first layout whose suite is there, as absolute paths; the installed one
// when neither is, so that a missing part is reported where it belongs.
CheckOptions::Defaults locate(const QString &executableDir);

} // namespace BundledParts

#endif // KORVUCHECK_BUNDLEDPARTS_H
