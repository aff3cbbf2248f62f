// The extension module velmora._velmora: libvelmora's API for Python (the package velmora
// wraps it). The interpreter lock is released while a file is read, checked and written, so
// threads run in parallel.
#include <velmora/velmora.h>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace py = pybind11;

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// The bytes of any object with the buffer protocol (bytes, bytearray, memoryview), exported
// while a call runs without the interpreter lock. Made and dropped with the lock held.
class Bytes
{
public:
    explicit Bytes(const py::object &object)
    {
        if (PyObject_GetBuffer(object.ptr(), &m_view, PyBUF_SIMPLE) != 0)
            throw py::error_already_set();
    }
    ~Bytes() { PyBuffer_Release(&m_view); }
    Bytes(const Bytes &) = delete;
    Bytes &operator=(const Bytes &) = delete;
    std::span<const std::byte> span() const
    {
        return { static_cast<const std::byte *>(m_view.buf), static_cast<size_t>(m_view.len) };
    }

private:
    Py_buffer m_view {};
};

py::bytes toBytes(const std::vector<std::byte> &bytes)
{
    return { reinterpret_cast<const char *>(bytes.data()), bytes.size() };
}

py::list toPairs(const std::vector<velmora::Entry> &entries)
{
    py::list list;
    for (const velmora::Entry &e : entries)
        list.append(py::make_tuple(e.keyword, e.text));
    return list;
}

py::list toRemoved(const std::vector<velmora::Removed> &removed)
{
    py::list list;
    for (const velmora::Removed &r : removed)
        list.append(py::make_tuple(r.chunkType, r.keyword, r.size));
    return list;
}

velmora::Changes changesOf(const Pairs &set, bool replace, const std::vector<std::string> &remove, bool clear,
    bool expandMacros, bool recompress)
{
    velmora::Changes changes;
    for (const auto &[keyword, text] : set)
        changes.set.push_back({ keyword, text });
    changes.replace = replace;
    changes.remove = remove;
    changes.clear = clear;
    changes.expandMacros = expandMacros;
    changes.recompress = recompress;
    return changes;
}

// Runs work without the interpreter lock.
template <typename Work> auto unlocked(Work work)
{
    py::gil_scoped_release release;
    return work();
}

const char *positionName(velmora::Chunk::Position position)
{
    switch (position) {
    case velmora::Chunk::Position::BeforeImageData:
        return "before-IDAT";
    case velmora::Chunk::Position::ImageData:
        return "IDAT";
    case velmora::Chunk::Position::AfterImageData:
        return "after-IDAT";
    }
    return "";
}

py::object optionalPair(bool known, py::object first, py::object second)
{
    return known ? py::object(py::make_tuple(std::move(first), std::move(second))) : py::object(py::none());
}

// UTF-8 from the library, decoded without failing (a file name need not be UTF-8).
py::str lenientText(const std::string &text)
{
    return py::reinterpret_steal<py::str>(PyUnicode_DecodeUTF8(text.data(), Py_ssize_t(text.size()), "replace"));
}

} // namespace

PYBIND11_MODULE(_velmora, m)
{
    m.doc() = "libvelmora for Python; use the package velmora, which documents each function.";
    m.attr("__version__") = velmora::version();

    static py::handle error = py::exception<velmora::Error>(m, "Error", PyExc_ValueError).release();
    error.attr("__doc__") = "A file or bytes velmora could not read or write. str() is 'file: reason';\n"
                            "the attributes reason and file (None for bytes) hold the parts.";
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown)
                std::rethrow_exception(thrown);
        } catch (const velmora::Error &e) {
            py::object instance = error(lenientText(e.what()));
            instance.attr("reason") = lenientText(e.reason());
            const std::string &file = e.file().native();
            instance.attr("file") = e.file().empty()
                ? py::object(py::none())
                : py::reinterpret_steal<py::object>(
                    PyUnicode_DecodeFSDefaultAndSize(file.data(), Py_ssize_t(file.size())));
            PyErr_SetObject(error.ptr(), instance.ptr());
        }
    });

    py::class_<velmora::Summary>(m, "Summary",
        "What the header and the pHYs chunk say of an image. The physical sizes assume 72 pixels\n"
        "per inch when the file says nothing, and are None when its resolution gives none.")
        .def_readonly("width", &velmora::Summary::width)
        .def_readonly("height", &velmora::Summary::height)
        .def_readonly("bit_depth", &velmora::Summary::bitDepth)
        .def_readonly("colour_type", &velmora::Summary::colourType, "The PNG colour type: 0, 2, 3, 4 or 6.")
        .def_readonly("colour_format", &velmora::Summary::colourFormat,
            "'Greyscale', 'RGB', 'Palette', 'GreyscaleAlpha' or 'RGBA'.")
        .def_readonly("interlaced", &velmora::Summary::interlaced)
        .def_property_readonly(
            "physical_size_mm",
            [](const velmora::Summary &s) {
                return optionalPair(s.physicalSizeKnown, py::int_(s.widthMM), py::int_(s.heightMM));
            },
            "(width, height) in millimetres, or None.")
        .def_property_readonly(
            "physical_size_inches",
            [](const velmora::Summary &s) {
                return optionalPair(s.physicalSizeKnown, py::float_(s.widthInches), py::float_(s.heightInches));
            },
            "(width, height) in inches, or None.")
        .def_readonly("lines", &velmora::Summary::lines, "The six lines velmora-cli info prints.")
        .def("__repr__",
            [](const velmora::Summary &s) {
                return "<velmora.Summary " + std::to_string(s.width) + "x" + std::to_string(s.height) + " "
                    + s.colourFormat + " " + std::to_string(s.bitDepth) + "-bit>";
            })
        .def("__eq__",
            [](const velmora::Summary &a, const velmora::Summary &b) {
                return a.width == b.width && a.height == b.height && a.bitDepth == b.bitDepth
                    && a.colourType == b.colourType && a.interlaced == b.interlaced && a.lines == b.lines;
            })
        .def(py::pickle(
            [](const velmora::Summary &s) {
                return py::make_tuple(s.width, s.height, s.bitDepth, s.colourType, s.colourFormat, s.interlaced,
                    s.physicalSizeKnown, s.widthMM, s.heightMM, s.widthInches, s.heightInches, s.lines);
            },
            [](const py::tuple &t) {
                if (t.size() != 12)
                    throw py::value_error("not a pickled velmora.Summary");
                velmora::Summary s;
                s.width = t[0].cast<std::uint32_t>();
                s.height = t[1].cast<std::uint32_t>();
                s.bitDepth = t[2].cast<int>();
                s.colourType = t[3].cast<int>();
                s.colourFormat = t[4].cast<std::string>();
                s.interlaced = t[5].cast<bool>();
                s.physicalSizeKnown = t[6].cast<bool>();
                s.widthMM = t[7].cast<std::uint64_t>();
                s.heightMM = t[8].cast<std::uint64_t>();
                s.widthInches = t[9].cast<double>();
                s.heightInches = t[10].cast<double>();
                s.lines = t[11].cast<std::vector<std::string>>();
                return s;
            }));

    // Each function is documented where it is public, in the package (velmora/__init__.py).
    m.def("read", [](const std::filesystem::path &path) {
        return toPairs(unlocked([&] { return velmora::readEntries(path); }));
    });
    m.def("read_bytes", [](const py::object &data) {
        const Bytes bytes(data);
        return toPairs(unlocked([&] { return velmora::readEntries(bytes.span()); }));
    });
    m.def("update",
        [](const std::filesystem::path &path, const Pairs &set, bool replace, const std::vector<std::string> &remove,
            bool clear, bool expandMacros, bool recompress) {
            const velmora::Changes changes = changesOf(set, replace, remove, clear, expandMacros, recompress);
            unlocked([&] { velmora::update(path, changes); });
        });
    m.def("update_bytes",
        [](const py::object &data, const Pairs &set, bool replace, const std::vector<std::string> &remove, bool clear,
            bool expandMacros, bool recompress) {
            const velmora::Changes changes = changesOf(set, replace, remove, clear, expandMacros, recompress);
            const Bytes bytes(data);
            return toBytes(unlocked([&] { return velmora::update(bytes.span(), changes); }));
        });
    m.def("strip", [](const std::filesystem::path &path, const std::vector<std::string> &keep, bool dryRun) {
        return toRemoved(unlocked([&] { return velmora::strip(path, keep, dryRun); }));
    });
    m.def("strip_bytes", [](const py::object &data, const std::vector<std::string> &keep) {
        const Bytes bytes(data);
        std::vector<velmora::Removed> removed;
        const std::vector<std::byte> png = unlocked([&] { return velmora::strip(bytes.span(), keep, &removed); });
        return py::make_tuple(toBytes(png), toRemoved(removed));
    });
    m.def(
        "summary", [](const std::filesystem::path &path) { return unlocked([&] { return velmora::summary(path); }); });
    m.def("chunks", [](const std::filesystem::path &path) {
        const std::vector<velmora::Chunk> found = unlocked([&] { return velmora::chunks(path); });
        py::list list;
        for (const velmora::Chunk &c : found)
            list.append(py::make_tuple(c.type, c.offset, c.length, positionName(c.position), c.crcOk));
        return list;
    });
}
