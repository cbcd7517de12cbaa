#ifndef DAEMONENVIRONMENT_H
#define DAEMONENVIRONMENT_H

// How the suite starts its daemon: the program it finds on PATH, and the
// plug-in folders it names relative to its working directory in a build
// tree. korvu-check lays its run trees out to match and starts its probe of
// the daemon the same way.
namespace DaemonEnvironment {

constexpr char program[] = "korvud";
constexpr char pluginsPathVariable[] = "KORVU_PLUGINS_PATH";
constexpr char experiencePluginsPathVariable[] = "KORVU_EXPERIENCE_PLUGINS_PATH";
constexpr char mocksDirFromSuite[] = "../../mocks";
constexpr char experienceDirFromSuite[] = "../../../experience";

} // namespace DaemonEnvironment

#endif // DAEMONENVIRONMENT_H
