# Debian packages (make package: cpack -G DEB), one per install component:
#   velmora          the application and velmora-cli (component application: what has no other)
#   libvelmora0      the shared library (component library)
#   libvelmora-dev   its header, CMake package and pkg-config file (component development)
#   python3-velmora  the Python package (component python)
# Dependencies on other packages come from dpkg-shlibdeps; those among these packages are
# exact versions. DebianPackageFiles.cmake adds what Debian asks of every package (copyright,
# changelog, compressed manual pages) to each package's files before it is built.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT "The Velmora developers <dev@velmora.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://velmora.org/")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL application library development python)
if(NOT TARGET velmora_python)
    list(REMOVE_ITEM CPACK_COMPONENTS_ALL python)
endif()

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(exact "(= ${PROJECT_VERSION}-1)")
# The module links libvelmora from the library's package, laid out beside it (where, cpack
# knows only when it runs: PackagingAtCpackTime.cmake).
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagingAtCpackTime.cmake)
set(CPACK_VELMORA_LIBDIR ${CMAKE_INSTALL_LIBDIR})

set(CPACK_DEBIAN_APPLICATION_PACKAGE_NAME velmora)
set(CPACK_DEBIAN_APPLICATION_PACKAGE_SECTION graphics)
# Qt's own translations, for the standard dialogs in the user's language.
set(CPACK_DEBIAN_APPLICATION_PACKAGE_RECOMMENDS qt6-translations-l10n)
set(CPACK_COMPONENT_APPLICATION_DESCRIPTION "view and edit the text metadata of PNG images
Velmora shows the text entries of a PNG file (tEXt, zTXt and iTXt: Author,
Copyright, Description and the like) beside the image and a summary of its
properties, and lets you edit them, one file at a time or in batches. It
changes the metadata and nothing else: every other chunk and the compressed
image data are kept byte for byte, and a file is only replaced once its new
version has been written completely.

This package holds the desktop application velmora and velmora-cli, the
same editing for scripts and pipes.")

set(CPACK_DEBIAN_LIBRARY_PACKAGE_NAME libvelmora0)
set(CPACK_DEBIAN_LIBRARY_PACKAGE_SECTION libs)
# What a package linking the library depends on (exactly this version: the API may change
# before 1.0), and the linker cache refreshed by dpkg's trigger.
file(WRITE ${PROJECT_BINARY_DIR}/debian/library/shlibs "libvelmora ${PROJECT_VERSION_MAJOR} libvelmora0 ${exact}\n")
file(WRITE ${PROJECT_BINARY_DIR}/debian/library/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_LIBRARY_PACKAGE_CONTROL_EXTRA
    ${PROJECT_BINARY_DIR}/debian/library/shlibs ${PROJECT_BINARY_DIR}/debian/library/triggers)
set(CPACK_COMPONENT_LIBRARY_DESCRIPTION "exact editing of PNG text metadata - shared library
libvelmora reads and changes the text entries (tEXt, zTXt, iTXt) of PNG
files and rewrites nothing else: every other chunk and the compressed image
data are written back byte for byte, and a file is replaced only once its
new version is complete and on the disk.

This package holds the shared library.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libvelmora-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libvelmora0 ${exact}")
set(CPACK_COMPONENT_DEVELOPMENT_DESCRIPTION "exact editing of PNG text metadata - development files
libvelmora reads and changes the text entries (tEXt, zTXt, iTXt) of PNG
files and rewrites nothing else: every other chunk and the compressed image
data are written back byte for byte.

This package holds the C++ header, the CMake package (find_package(Velmora))
and the pkg-config file.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-velmora)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
if(TARGET velmora_python)
    # The module is built for one version of Python 3 (its file name says which).
    execute_process(COMMAND ${VELMORA_PYTHON} -c "import sys; print('%d.%d' % sys.version_info[:2])"
        OUTPUT_VARIABLE python_version OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
        "libvelmora0 ${exact}, python3 (>= ${python_version}~), python3 (<< ${python_version}.99)")
endif()
set(CPACK_COMPONENT_PYTHON_DESCRIPTION "exact editing of PNG text metadata - Python 3 module
The module velmora reads and changes the text entries (tEXt, zTXt, iTXt) of
PNG files and rewrites nothing else: every other chunk and the compressed
image data are written back byte for byte, without decoding and encoding the
pixels as imaging libraries do. It releases the interpreter lock while it
works, and its functions pickle for distributed engines such as Dask.")

set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianPackageFiles.cmake)
set(CPACK_VELMORA_SOURCE_DIR ${PROJECT_SOURCE_DIR})
include(CPack)
