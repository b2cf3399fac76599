#include "setup/PatchInstallation.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "common/App.h"
#include "platform/Ascii.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/RuntimeFailure.h"

namespace patch {

const char* const SetAsideFolderPrefix = ".corvane-replaced-";

namespace {

// Inside a set-aside folder: the manifest while the installation runs, renamed to the
// completion mark once every file is in; the original of destination i is kept as "i".
const std::string ManifestName = "manifest";
const std::string InstalledName = "installed";
const std::string ManifestHeader = "Corvane patch installation";
const std::string ManifestEnd = "end";

std::string errnoText(int error) { return std::string(strerror(error)); }

bool entryExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string keptPath(const std::string& folder, std::size_t i) { return folder + "/" + std::to_string(i); }

std::vector<std::string> namesIn(const std::string& folder) {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) throw InstallFailure{folder, errnoText(errno)};
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(std::move(name));
    }
    return names;
}

std::string folded(const std::string& name) {
    std::string out = name;
    for (char& c : out) c = ascii::lower(c);
    return out;
}

// The game folder read once: every name, and for each case-folded name the first in byte order.
class FolderIndex {
public:
    explicit FolderIndex(const std::string& folder) {
        for (const std::string& name : namesIn(folder)) add(name);
    }
    bool contains(const std::string& name) const { return names_.count(name) != 0; }
    const std::string& resolve(const std::string& name) const {
        if (contains(name)) return name;
        auto it = folded_.find(folded(name));
        return it == folded_.end() ? name : it->second;
    }
    void add(const std::string& name) {
        names_.insert(name);
        auto [it, inserted] = folded_.emplace(folded(name), name);
        if (!inserted && name < it->second) it->second = name;
    }

private:
    std::unordered_set<std::string> names_;
    std::unordered_map<std::string, std::string> folded_;
};

// Held while an installation runs, so that a patcher loading meanwhile leaves its folder alone;
// the system drops it with a killed process. A file system without such locks stops nothing.
int lockFolder(const std::string& folder, bool* busy) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        ::close(fd);
        *busy = true;
        return -1;
    }
    return fd;
}

// Manifest names are written with control characters and "%" as "%XX", one name a line.
bool escapes(unsigned char c) { return c < 0x20 || c == 0x7f || c == '%'; }

std::string escaped(const std::string& name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        if (!escapes(c)) {
            out += char(c);
            continue;
        }
        out += '%';
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A name read back from a manifest, or false. Only a plain name inside the game folder is
// accepted, so an altered manifest cannot reach outside it.
bool unescaped(const std::string& text, std::string& name) {
    name.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            name += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return false;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) return false;
        name += char(high * 16 + low);
        i += 2;
    }
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string manifestText(const std::vector<Destination>& destinations) {
    std::string text = ManifestHeader + "\n";
    for (const Destination& d : destinations) text += (d.replaces ? "kept " : "new ") + escaped(d.target) + "\n";
    return text + ManifestEnd + "\n";
}

// The destinations a manifest lists, or false when it is not one this program wrote whole.
bool readManifest(const std::string& path, std::vector<Destination>& destinations) {
    std::string text;
    try {
        text = fso::ReadAll(path);
    } catch (const RuntimeFailure&) {
        return false;
    }
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) return false;  // every line ends, the last one too
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (lines.size() < 2 || lines.front() != ManifestHeader || lines.back() != ManifestEnd) return false;
    destinations.clear();
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::string& line = lines[i];
        Destination d{};
        std::string rest;
        if (line.starts_with("kept ")) {
            d.replaces = true;
            rest = line.substr(5);
        } else if (line.starts_with("new ")) {
            rest = line.substr(4);
        } else {
            return false;
        }
        if (!unescaped(rest, d.target)) return false;
        destinations.push_back(std::move(d));
    }
    return true;
}

bool isOwnLeftover(const std::string& name) {
    return name == ManifestName || name == InstalledName || name.starts_with(ManifestName + ".tmp-");
}

// Removes a set-aside folder that holds nothing of the game any more: the manifest, its
// temporary files and the completion mark go, then the folder. When anything else is in it,
// nothing is removed and the result is false.
bool removeEmptied(const std::string& folder) {
    if (!entryExists(folder)) return errno == ENOENT;
    std::vector<std::string> names;
    try {
        names = namesIn(folder);
    } catch (const InstallFailure&) {
        return false;
    }
    if (!std::all_of(names.begin(), names.end(), isOwnLeftover)) return false;
    for (const std::string& name : names)
        if (::unlink((folder + "/" + name).c_str()) != 0 && errno != ENOENT) return false;
    return ::rmdir(folder.c_str()) == 0;
}

// Puts back what the listed installation changed, the last destination first. Each one is a
// single rename or unlink and is skipped when already done, so a roll-back that is itself cut
// short leaves the next one everything it needs. Returns what could not be put back, empty
// when all is back and the folder is gone.
std::string undo(const std::string& game, const std::string& folder, const std::vector<Destination>& destinations) {
    std::string problem;
    for (std::size_t i = destinations.size(); i-- > 0;) {
        const Destination& d = destinations[i];
        const std::string target = game + "/" + d.target;
        if (d.replaces) {
            const std::string kept = keptPath(folder, i);
            struct stat st;
            if (::lstat(kept.c_str(), &st) != 0) {
                if (errno == ENOENT) continue;  // never set aside, or already back
            } else if (::rename(kept.c_str(), target.c_str()) == 0) {
                continue;
            }
        } else if (::unlink(target.c_str()) == 0 || errno == ENOENT) {
            continue;
        }
        if (problem.empty()) problem = d.target + ": " + errnoText(errno);
    }
    if (problem.empty() && !removeEmptied(folder)) problem = paths::fileNameOf(folder) + ": it holds other files";
    return problem;
}

// After the completion mark only the set-aside originals are left to delete. Leftovers do no
// harm, and the next load deletes them.
void removeKept(const std::string& folder, const std::vector<Destination>& destinations) {
    for (std::size_t i = 0; i < destinations.size(); ++i)
        if (destinations[i].replaces) ::unlink(keptPath(folder, i).c_str());
    removeEmptied(folder);
}

// After a failed installation: the next extraction clears Temp anyway, and the game folder is
// what the report is about.
void discardTemp(const std::string& temp) {
    try {
        if (fso::FolderExists(temp)) fso::DeleteFolder(temp);
    } catch (const RuntimeFailure&) {
    }
}

}  // namespace

Installation::Installation(const std::string& temp, const std::string& game) : game_(game) {
    const std::vector<fso::File> files = fso::GetFolder(temp).Files();
    FolderIndex index(game_);
    std::unordered_map<std::string, std::size_t> byTarget;
    for (const fso::File& file : files) {
        // The name as it stands on disk: File::Name would take a backslash for a separator.
        const std::string name = file.Path().substr(file.Path().rfind('/') + 1);
        // This system's 7-Zip keeps an entry "Maps\x.w3x" as one file named with the backslash
        // at the top of Temp; it came from a subfolder of the archive, and those are not installed.
        if (name.find('\\') != std::string::npos) continue;
        const std::string target = index.resolve(name);
        // Names that differ only in case go to one file, as they would on Windows: the last wins.
        if (auto found = byTarget.find(target); found != byTarget.end()) {
            destinations_[found->second].name = name;
            destinations_[found->second].source = file.Path();
            continue;
        }
        const bool replaces = index.contains(target);
        if (replaces) {
            struct stat st;
            if (::lstat((game_ + "/" + target).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                throw InstallFailure{name, "a folder stands where the file must go"};
        } else {
            index.add(target);
        }
        byTarget.emplace(target, destinations_.size());
        destinations_.push_back({name, file.Path(), target, replaces});
    }
}

Installation::~Installation() {
    if (lock_ >= 0) ::close(lock_);
}

void Installation::begin() {
    std::string folder = game_ + "/" + SetAsideFolderPrefix + "XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) throw InstallFailure{game_, errnoText(errno)};
    folder_ = folder;
    bool busy = false;
    lock_ = lockFolder(folder_, &busy);
    try {
        writeFileAtomically(folder_ + "/" + ManifestName, manifestText(destinations_));
    } catch (const RuntimeFailure& f) {
        throw InstallFailure{game_, f.description};
    }
}

void Installation::setAside(std::size_t i) {
    const Destination& d = destinations_.at(i);
    if (!d.replaces) return;
    if (::rename((game_ + "/" + d.target).c_str(), keptPath(folder_, i).c_str()) != 0)
        throw InstallFailure{d.name, errnoText(errno)};
}

void Installation::copyIn(std::size_t i) {
    const Destination& d = destinations_.at(i);
    try {
        // The unpacked file is deleted once copied: where Temp shares the game's file system,
        // moving it does both at once and copies nothing.
        fso::MoveToNewFile(d.source, game_ + "/" + d.target);
    } catch (const RuntimeFailure& f) {
        throw InstallFailure{d.name, f.description};
    }
}

void Installation::commit() {
    if (::rename((folder_ + "/" + ManifestName).c_str(), (folder_ + "/" + InstalledName).c_str()) != 0)
        throw InstallFailure{game_, errnoText(errno)};
}

void Installation::finish() { removeKept(folder_, destinations_); }

bool Installation::rollBack() { return folder_.empty() || undo(game_, folder_, destinations_).empty(); }

std::string installFiles(const std::string& temp, const std::string& wc3Path, Clock& clock) {
    std::optional<Installation> installation;
    try {
        installation.emplace(temp, paths::resolve(wc3Path));
        installation->begin();
        for (std::size_t i = 0; i < installation->destinations().size(); ++i) {
            installation->setAside(i);
            installation->copyIn(i);
        }
        installation->commit();
    } catch (const InstallFailure& f) {
        const bool restored = !installation || installation->rollBack();
        discardTemp(temp);
        const std::string outcome = "Installation failed at " + f.file + ": " + f.description + ".";
        if (!restored)
            return outcome + " Some replaced files could not be put back; they are kept in '" + installation->folder() +
                   "'.";
        return outcome + " Warcraft III was left as it was.";
    }
    clock.sleepMs(1000);
    installation->finish();
    if (fso::FolderExists(temp)) fso::DeleteFolder(temp);
    return {};
}

std::string recoverInterrupted(const std::string& wc3Path) {
    if (wc3Path.empty()) return {};
    const std::string game = paths::resolve(wc3Path);
    std::vector<std::string> names;
    try {
        names = namesIn(game);
    } catch (const InstallFailure&) {
        return {};  // the load reads the folder next and reports what is wrong with it
    }
    std::sort(names.begin(), names.end());

    std::vector<std::string> notes;
    bool undone = false;
    for (const std::string& name : names) {
        if (!name.starts_with(SetAsideFolderPrefix)) continue;
        const std::string folder = game + "/" + name;
        struct stat st;
        if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;

        bool busy = false;
        const int lock = lockFolder(folder, &busy);
        if (busy) {
            notes.push_back("'" + name + "' belongs to an installation still running: it was left alone.");
            continue;
        }
        const std::string installed = folder + "/" + InstalledName;
        const std::string manifest = folder + "/" + ManifestName;
        const bool completed = entryExists(installed);
        const bool listed = entryExists(manifest);
        std::vector<Destination> destinations;
        if (completed && readManifest(installed, destinations)) {
            removeKept(folder, destinations);
        } else if (!completed && listed && readManifest(manifest, destinations)) {
            const std::string problem = undo(game, folder, destinations);
            if (problem.empty()) undone = true;
            else
                notes.push_back("An interrupted installation could not be undone (" + problem + "); its set-aside files are in '" +
                    name + "'.");
        } else if (completed || listed || !removeEmptied(folder)) {
            // Without a list it can read, nothing here is ours to guess at. Cut before its
            // manifest was whole, an installation had moved nothing, and its folder just goes.
            notes.push_back("'" + name + "' in the Warcraft III folder holds set-aside files without a list of them: it was left "
                "alone.");
        }
        if (lock >= 0) ::close(lock);
    }
    if (undone) notes.insert(notes.begin(), "An interrupted installation was undone: Warcraft III is as it was before it.");
    std::string said;
    for (const std::string& note : notes) said += (said.empty() ? "" : " ") + note;
    return said;
}

}  // namespace patch
