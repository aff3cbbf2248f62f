# Included by cpack once it knows where it lays out the packages' files (cpack -B DIR).
# dpkg-shlibdeps finds libvelmora, which the Python module links, in the library's files there.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    "${CPACK_PACKAGE_DIRECTORY}/_CPack_Packages/${CPACK_SYSTEM_NAME}/DEB/${CPACK_PACKAGE_FILE_NAME}/library${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_VELMORA_LIBDIR}")
