# The kinds of media the player offers to open, in one place: the menu entry's
# MimeType=, the software centre's <provides><mediatype>, the desktop media
# controls' SupportedMimeTypes and the file dialog's "All media files" entry
# are all made from these lists. Whether a given file is taken is decided by
# its content (mciservice/MediaContentProbe), not by its name: the probe takes
# what the media engine names audio/... or video/..., and the containers of
# KELTO_MEDIA_CONTAINER_KINDS below.

# Media types as the desktop's shared MIME database names them (no aliases:
# the menu entry's validator takes those for mistakes).
set(KELTO_MEDIA_MIME_TYPES
  audio/mpeg
  audio/mp2
  audio/x-wav
  audio/midi
  audio/mp4
  audio/aac
  audio/flac
  audio/ogg
  audio/x-vorbis+ogg
  audio/x-opus+ogg
  audio/webm
  audio/x-matroska
  audio/x-aiff
  video/mpeg
  video/x-msvideo
  video/mp4
  video/quicktime
  video/x-matroska
  video/webm
  video/ogg
  video/3gpp
  video/3gpp2
  video/mp2t
  audio/x-m4b
  audio/ac3
)

# File name patterns of the same kinds, for the dialog's "All media files".
set(KELTO_MEDIA_FILE_PATTERNS
  *.mp3 *.mp2 *.wav *.midi *.mid *.mpg *.mpge *.mpeg *.avi *.vob
  *.mp4 *.m4a *.m4v *.mov *.mkv *.mka *.webm *.ogg *.oga *.ogv *.opus *.flac
  *.aac *.ac3 *.aif *.aiff *.ts *.mts *.m2ts *.3gp *.3g2 *.m4b
)

# Containers the media engine's type finders name neither audio/... nor
# video/... although sound or pictures are all they carry (the names are the
# engine's, not the desktop's): the content probe takes these too. ID3 and APE
# tags stand before (or after) compressed sound, and the engine looks past
# them; a phone's 3GP/3G2 film is "application/x-3gp".
set(KELTO_MEDIA_CONTAINER_KINDS
  application/ogg
  application/x-id3
  application/x-apetag
  application/mxf
  application/vnd.rn-realmedia
  application/x-annodex
  application/x-3gp
)

# Playlist files, opened for the media they list: their types join the kinds
# above, so that open-with offers them; the dialog gives them an entry of
# their own, "Playlists".
list(APPEND KELTO_MEDIA_MIME_TYPES
  audio/x-mpegurl
  application/vnd.apple.mpegurl
  audio/x-scpls
  application/xspf+xml
)
set(KELTO_PLAYLIST_FILE_PATTERNS *.m3u *.m3u8 *.pls *.xspf)
