// BackupScene: a desktop catalogue and a handheld with an agent, an index and package copies, for Pelrudo's tests.
#pragma once

#include <string>
#include <vector>

#include "DeviceEmulator.h"
#include "tests/platform/TestFolder.h"

// The desktop lists, for processor 2577 (the emulator's default), registry order A1..E5:
//   A1 "Zeta"  Zeta.cab  3000 bytes, own icon,       backed up
//   B2 "alpha" alpha.cab 1536 bytes, no icon file,   not backed up
//   C3 "Mid"   Mid.cab   5000 bytes, icon missing,   backed up
//   D4 "Gone"  Gone.cab  missing on the desktop,     backed up (no row)
//   E5 "Mips"  only for processor 4000 (not catalogued)
// The handheld's backup folder "\Storage Card\Backup\" holds the agent, "Backup.ini" listing the three
// backed-up packages and "Data\" with their copies.
class BackupScene {
public:
    struct Parts {
        bool agentRecord = true;  // the agent's record in the handheld registry
        bool catalogue = true;    // the Application Manager's Apps key on the desktop
        bool index = true;        // "Backup.ini" on the handheld
    };

    // Starts the emulator and points this process (and the programs it starts) at it; false on failure.
    bool Start(const Parts& parts);
    bool Start() { return Start(Parts()); }
    // Points this process at the scene's desktop and socket (nothing may listen there yet).
    void UseAsDesktop() const;

    DeviceEmulator device;
    std::string AppsFolder() const { return device.Folder() + "/apps"; }
    std::string DesktopPackage(const std::string& key, const std::string& cab) const;
    // The host file of a handheld path below the backup folder, e.g. "Data\\Zeta.cab".
    std::string Handheld(const std::string& relative) const;
    // The names of the files in the handheld's "Data\" folder, sorted.
    std::vector<std::string> DataFiles() const;
    // The application and package names of the handheld's "Backup.ini", in file order.
    std::vector<std::pair<std::string, std::string>> HandheldIndex() const;
};
