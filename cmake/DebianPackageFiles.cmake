# Run by cpack (CPACK_PRE_BUILD_SCRIPTS) on the files of each package before it is built: adds
# what Debian asks of every binary package and lays out what the plain install leaves as it is.
#   - /usr/share/doc/PACKAGE/copyright (machine-readable, from LICENSE) and changelog.Debian.gz
#     in place of the plain install's share/doc/Velmora/LICENSE;
#   - manual pages compressed (gzip -9n);
#   - shared libraries not executable.
set(packages application velmora library libvelmora0 development libvelmora-dev python python3-velmora)
set(root ${CPACK_TEMPORARY_DIRECTORY})
set(version "${CPACK_PACKAGE_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")

file(READ ${CPACK_VELMORA_SOURCE_DIR}/LICENSE license)
# The permission text, each line indented and each empty line a full stop.
string(REGEX REPLACE "^.*\n\n(Permission)" "\\1" license "${license}")
string(REGEX REPLACE "\n+$" "" license "${license}")
string(REPLACE "\n\n" "\n.\n" license "${license}")
string(REPLACE "\n" "\n " license " ${license}")
set(copyright "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Velmora
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}
Source: ${CPACK_PACKAGE_HOMEPAGE_URL}

Files: *
Copyright: 2026 The Velmora developers
License: Expat
${license}
")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
else()
    string(TIMESTAMP date "%a, %d %b %Y 00:00:00 +0000" UTC)
endif()
set(changelog "velmora (${version}) unstable; urgency=medium

  * Built from the Velmora sources (make package).

 -- ${CPACK_PACKAGE_CONTACT}  ${date}
")

while(packages)
    list(POP_FRONT packages component package)
    set(files ${root}/${component}${CPACK_PACKAGING_INSTALL_PREFIX})
    if(NOT IS_DIRECTORY ${files})
        continue()
    endif()
    set(doc ${files}/share/doc/${package})
    file(REMOVE_RECURSE ${files}/share/doc/Velmora)
    file(MAKE_DIRECTORY ${doc})
    file(WRITE ${doc}/copyright "${copyright}")
    file(WRITE ${doc}/changelog.Debian "${changelog}")
    file(GLOB_RECURSE pages ${files}/share/man/*.[1-9])
    foreach(f IN LISTS pages ITEMS ${doc}/changelog.Debian)
        execute_process(COMMAND gzip -9nf ${f} COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    file(GLOB libraries ${files}/lib/*.so.* ${files}/lib/*/*.so.*)
    foreach(f IN LISTS libraries)
        if(NOT IS_SYMLINK ${f})
            file(CHMOD ${f} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
        endif()
    endforeach()
endwhile()
