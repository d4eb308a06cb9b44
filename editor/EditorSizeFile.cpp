#include "EditorSizeFile.h"

#include "UserDataFolder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

namespace TarnwellPlugin {
namespace {

constexpr const char* kEditorSizeFileName = "editor-size.conf";

double clampZoom(double zoom) {
    if (!std::isfinite(zoom)) return kDefaultEditorZoom;
    return std::max(kMinEditorZoom, std::min(zoom, kMaxEditorZoom));
}

// The file's numbers as far as they parse, in the classic notation.
int readNumbers(double* values, int wanted) {
    const std::string path = editorSizeFilePath();
    if (path.empty()) return 0;
    std::ifstream file(path);
    if (!file) return 0;
    file.imbue(std::locale::classic());
    int n = 0;
    while (n < wanted && file >> values[n]) ++n;
    return n;
}

} // namespace

std::string editorSizeFilePath() {
    const std::string folder = userDataFolderPath();
    return folder.empty() ? std::string() : folder + "/" + kEditorSizeFileName;
}

bool readEditorSizeFile(double* x, double* y) {
    double values[3] = {};
    if (readNumbers(values, 3) != 3) return false;
    if (x) *x = values[1];
    if (y) *y = values[2];
    return true;
}

double readEditorZoom() {
    double zoom = 0.0;
    if (readNumbers(&zoom, 1) != 1) return kDefaultEditorZoom;
    return clampZoom(zoom);
}

void writeEditorSizeFile(double zoom, bool hasWindow, double x, double y) {
    const std::string folder = createUserDataFolder();
    if (folder.empty()) return;
    const bool valid = hasWindow || readEditorSizeFile(&x, &y);

    std::ostringstream line;
    line.imbue(std::locale::classic());
    line.precision(17);
    line << clampZoom(zoom);
    if (valid) line << ' ' << x << ' ' << y;
    line << '\n';

    // Written beside the file and renamed over it, so a reader never sees half a line (and two
    // hosts closing at once never mix their lines).
    const std::string path = folder + "/" + kEditorSizeFileName;
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return;
    fchmod(fd, 0644); // as the other files of the folder, not the temporary file's 0600
    const std::string text = line.str();
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) std::remove(temporary.c_str());
}

} // namespace TarnwellPlugin
