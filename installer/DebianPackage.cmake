# The Debian package of Zephrin Map for Linux hosts: whatever the native
# tree installs (the LV2 bundle under lib/lv2, ZephrinMap.clap under
# lib/clap), under /usr. `cpack --config build/native/CPackConfig.cmake`
# makes zephrin-map-lv2_<version>_amd64.deb.
set(ZEPHRIN_VERSION ${PROJECT_VERSION})  # the release, as the Windows installer's
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zephrin-map-lv2)
set(CPACK_PACKAGE_VERSION ${ZEPHRIN_VERSION})
set(CPACK_PACKAGE_VENDOR Quillfen)
set(CPACK_PACKAGE_CONTACT Quillfen)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Zephrin Map: keys to MIDI controllers (LV2 and CLAP plug-ins)")
# Debian's long description, in lines of its usual width.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "A MIDI effect for LV2 and CLAP hosts (Ardour, Qtractor, Carla, Zrythm,"
  "REAPER, Bitwig Studio and others)"
  "that turns keys into controllers: up to eight mappings, each a key or a"
  "range of keys, on any channel or one, to a controller, held or latching,"
  "at fixed values or by velocity, the note let through or not. Three piano"
  "pedals on three keys, a latching sustain, drum pads to the modulation"
  "wheel. Everything else passes unchanged.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The plug-ins need the C library alone; dpkg-shlibdeps says which version.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
