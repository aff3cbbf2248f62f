// Stamps entries into a PNG file with libvelmora and lists what the file then holds.
//
//   velmora-stamp FILE [KEY=TEXT]...
//
// Each KEY=TEXT replaces the entries with that keyword; everything else in the file, the
// image data included, stays byte for byte as it was.
#include <velmora/velmora.h>

#include <iostream>

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::cerr << "usage: velmora-stamp FILE [KEY=TEXT]...\n";
        return 2;
    }
    const std::filesystem::path file = argv[1];
    velmora::Changes changes;
    changes.replace = true;
    for (int i = 2; i < argc; ++i) {
        const std::string pair = argv[i];
        const auto eq = pair.find('=');
        if (eq == std::string::npos || eq == 0) {
            std::cerr << "velmora-stamp: not KEY=TEXT: " << pair << "\n";
            return 2;
        }
        changes.set.push_back({ pair.substr(0, eq), pair.substr(eq + 1) });
    }
    try {
        if (!changes.set.empty())
            velmora::update(file, changes);
        const velmora::Summary summary = velmora::summary(file);
        std::cout << file.string() << ": " << summary.width << "x" << summary.height << " " << summary.colourFormat
                  << ", " << velmora::chunks(file).size() << " chunks (libvelmora " << velmora::version() << ")\n";
        for (const velmora::Entry &entry : velmora::readEntries(file))
            std::cout << entry.keyword << "\t" << entry.text << "\n";
    } catch (const velmora::Error &error) {
        std::cerr << "velmora-stamp: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
