# The Debian package: `cmake --build build --target package` turns the install
# rules into kelto-player_<version>_amd64.deb, installed under /usr.

# The top entry of the package's change log names the version it ships; a new
# version in project() without an entry there would ship a stale log.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog kelto_changelog_top LIMIT_COUNT 1)
if(NOT kelto_changelog_top MATCHES "^kelto-player \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/debian/changelog starts with \"${kelto_changelog_top}\"; "
    "add an entry for version ${PROJECT_VERSION} at its top")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelto-player)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGE_CONTACT "Kelto Player developers <packages@kelto.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[play music and video files from a playlist
A small media player with a borderless black and green window: a playlist,
Play, Pause, Stop, Slow Motion and Fullscreen, a seek slider, elapsed and
total time, a level meter and the title scrolling across a green strip.
.
The playlist is kept in the folder the player is started from, and one player
keeps one folder. The desktop's media keys and player controls reach it.
.
mcisend, also in this package, sends media control command strings to the
player's playback service from a shell.]=])

# Linked libraries come from dpkg-shlibdeps. What the programs load by name at
# run time it cannot see, so it is listed here: GStreamer's plugin sets
# (demuxers and decoders, the MIDI synthesiser, the X video sink), a sound
# output (autoaudiosink finds either), the General MIDI soundfont the
# synthesiser is given, and the window's faces (with the Liberation faces as
# the stand-ins the window names), and the SQLite driver of Qt's SQL module
# that the history is kept with.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(kelto_runtime_depends
  gstreamer1.0-plugins-base
  gstreamer1.0-plugins-good
  gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly
  gstreamer1.0-libav
  gstreamer1.0-x
  "gstreamer1.0-pulseaudio | gstreamer1.0-alsa"
  "timgm6mb-soundfont | fluid-soundfont-gm"
  fonts-wine
  fonts-liberation2
  libqt6sql6-sqlite
  # The sounds "sound NAME" plays.
  sound-theme-freedesktop)
list(JOIN kelto_runtime_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

# The shipped programs resolve every symbol at start and then make their
# relocation tables read-only, as Debian's hardened builds do.
foreach(program kelto-player mcisend)
  target_link_options(${program} PRIVATE LINKER:-z,relro,-z,now)
endforeach()

# Debian wants stripped programs and directories and control files with
# ordinary modes whatever the builder's umask.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

include(CPack)
