#pragma once
#include <cstddef>
#include <string>
#include <vector>

class Clock;

// Installing unpacked patch files over the game folder so that it can always be undone. Every
// game file that is replaced is first renamed into a hidden set-aside folder inside the game
// folder (the same file system, so a rename keeps content, name and mode and cannot stop
// half-way). Before anything moves, a manifest in that folder lists every destination and
// whether an original was set aside; an installation killed part-way is undone from it the
// next time the patcher loads.
namespace patch {

// The set-aside folders in the game folder are named this followed by six random characters.
extern const char* const SetAsideFolderPrefix;

struct Destination {
    std::string name;    // the unpacked file's name, for messages
    std::string source;  // the unpacked file
    std::string target;  // the name in the game folder it goes to
    bool replaces;       // a game file stands at target: it is set aside, and put back on roll-back
};

// Raised by the steps of an installation; the game folder can still be put back.
struct InstallFailure {
    std::string file;
    std::string description;
};

// One installation, step by step. Dropping the object leaves everything as it is, as a killed
// run would: the next recoverInterrupted undoes it.
class Installation {
public:
    // Reads the game folder once and resolves every destination before anything moves: the
    // exact name when it exists, else the first name in byte order that differs only in case,
    // else the unpacked file's own name. Only regular files at the top of temp are installed; a
    // name holding a backslash came from a subfolder of the archive and is left out. Raises
    // InstallFailure when the game folder cannot be read or a folder stands at a destination.
    Installation(const std::string& temp, const std::string& game);
    ~Installation();
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    const std::vector<Destination>& destinations() const { return destinations_; }
    // The set-aside folder; empty before begin.
    const std::string& folder() const { return folder_; }

    // Creates the set-aside folder, holding it locked, and writes the manifest into it.
    void begin();
    // Renames the original of destination i into the set-aside folder (when there is one).
    void setAside(std::size_t i);
    // Puts the new file in under the resolved name; the unpacked one is gone afterwards.
    void copyIn(std::size_t i);
    // Marks the installation complete; from here on it is finished, never undone.
    void commit();
    // Deletes the set-aside originals and the folder; what it cannot delete the next load does.
    void finish();
    // Puts the game folder back as it was (new copies removed, originals renamed back) and
    // removes the set-aside folder. False when something could not be put back: the folder and
    // its manifest then stay for the next load to try again.
    bool rollBack();

private:
    std::string game_;
    std::string folder_;
    int lock_ = -1;
    std::vector<Destination> destinations_;
};

// Installs the regular files at the top of temp over the game folder: all of them, or, when one
// fails, none (the game folder is put back). Waits one second once all are in, then deletes
// temp. Returns the failure text, empty on success.
std::string installFiles(const std::string& temp, const std::string& wc3Path, Clock& clock);

// Undoes every installation that was killed part-way in the game folder, finishes the clean-up
// of those that had completed, and leaves alone set-aside folders it cannot read a manifest
// from. Returns the text for the status line, empty when there was nothing to tell.
std::string recoverInterrupted(const std::string& wc3Path);

}  // namespace patch
