# The Debian package: `cpack -G DEB` in the build directory gives voltrake_<version>-1_<arch>.deb
# with stripped binaries, dependencies from dpkg-shlibdeps and no maintainer scripts.

# What a Debian package must carry besides the program; harmless in any other install.
set(VOLTRAKE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/voltrake)
set(VOLTRAKE_DOC_BUILD ${CMAKE_BINARY_DIR}/generated/doc)
foreach(doc NEWS.md:NEWS.md.gz dist/debian/changelog:changelog.Debian.gz)
    string(REPLACE ":" ";" pair ${doc})
    list(GET pair 0 source)
    list(GET pair 1 target)
    add_custom_command(OUTPUT ${VOLTRAKE_DOC_BUILD}/${target}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${VOLTRAKE_DOC_BUILD}
                       COMMAND ${GZIP_EXECUTABLE} -9nc ${CMAKE_SOURCE_DIR}/${source}
                               > ${VOLTRAKE_DOC_BUILD}/${target}
                       DEPENDS ${CMAKE_SOURCE_DIR}/${source} VERBATIM)
    list(APPEND VOLTRAKE_DOC_FILES ${VOLTRAKE_DOC_BUILD}/${target})
endforeach()
add_custom_target(package-docs ALL DEPENDS ${VOLTRAKE_DOC_FILES})
install(FILES dist/debian/copyright ${VOLTRAKE_DOC_FILES} DESTINATION ${VOLTRAKE_DOC_DIR})

set(CPACK_PACKAGE_NAME voltrake)
set(CPACK_PACKAGE_VENDOR "The Voltrake developers")
set(CPACK_PACKAGE_CONTACT "The Voltrake developers <maintainers@voltrake.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${VOLTRAKE_PROJECT_URL})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Below the summary line; CPack indents it as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Voltrake works out a household electricity bill from two dated meter
readings and the tariff: units, rates with a break point, a cheap rate,
fixed charges, discounts before and after VAT, VAT, CO2 and figures per
day. It predicts the bill for the coming quarters or months and keeps a
results log and a history log of saved calculations.")
include(CPack)
