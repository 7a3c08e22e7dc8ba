# Debian package made by CPack from the same install rules as `cmake --install`.
set(KB_DEB_NAME kristallbeugung)
set(KB_DEB_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/${KB_DEB_NAME})

# Debian keeps the copyright and a compressed changelog in the package's doc folder.
# gzip -n leaves out the name and time stamp, so the same sources give the same package.
find_program(KB_GZIP gzip REQUIRED)
set(KB_DEB_CHANGELOG_GZ ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(
    OUTPUT ${KB_DEB_CHANGELOG_GZ}
    COMMAND ${KB_GZIP} -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog > ${KB_DEB_CHANGELOG_GZ}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog
    VERBATIM)
set(KB_MANPAGE_GZ ${CMAKE_CURRENT_BINARY_DIR}/kristallbeugung.1.gz)
add_custom_command(
    OUTPUT ${KB_MANPAGE_GZ}
    COMMAND ${KB_GZIP} -9 -n -c ${CMAKE_CURRENT_SOURCE_DIR}/packaging/kristallbeugung.1 > ${KB_MANPAGE_GZ}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/packaging/kristallbeugung.1
    VERBATIM)
add_custom_target(kb_package_docs ALL DEPENDS ${KB_DEB_CHANGELOG_GZ} ${KB_MANPAGE_GZ})

install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/packaging/copyright DESTINATION ${KB_DEB_DOCDIR})
install(FILES ${KB_DEB_CHANGELOG_GZ} DESTINATION ${KB_DEB_DOCDIR})
install(FILES ${KB_MANPAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${KB_DEB_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kristallbeugung developers")
set(CPACK_PACKAGE_CONTACT "Kristallbeugung maintainers <maintainers@kristallbeugung.de>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Revision 1 of the packaging of this upstream version.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kristallbeugung.de/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries' own packages pull in the fonts Qt needs; the labels are laid out
# for Liberation Sans, the metric twin of Arial.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
# The first line is the synopsis, the rest the long description; CPack indents
# each line by one space and turns an empty line into the paragraph mark " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"X-ray diffraction on a 2-D crystal, for teaching
Kristallbeugung is a teaching program for X-ray diffraction. An oblique
two-dimensional crystal turns in a monochromatic X-ray beam; whenever a
reflection meets the Bragg condition it lights up, and the program draws the
diffracted beam, the angles, the lattice planes, the scattering vectors and
the Ewald construction, and adds the peak to a diffractogram. Numbered
lessons reveal the construction step by step. The program speaks German.

Kristallbeugung ist ein Lehrprogramm zur Röntgenbeugung. Ein schiefwinkliges
zweidimensionales Kristallgitter dreht sich im monochromatischen
Röntgenstrahl; sobald ein Reflex die Bragg-Bedingung erfüllt, zeigt das
Programm den gebeugten Strahl, die Winkel, die Netzebenen, die Streuvektoren
und die Ewald-Konstruktion und trägt den Reflex ins Diffraktogramm ein.
Nummerierte Experimente bauen die Konstruktion Schritt für Schritt auf.")

include(CPack)
