#pragma once

namespace kelto::app {

// Hands the media service's trace to two of the program's logging categories,
// both off unless turned on the usual way of the toolkit, e.g.
// QT_LOGGING_RULES="kelto.trace.*=true":
//   kelto.trace.marks     "<mark> <microseconds>" (open-request, play-request,
//                         pause-request, put-request, first-frame), which a
//                         benchmark times the program by;
//   kelto.trace.commands  "command <microseconds> <code> <command>" for every
//                         command answered, which the display tests wait on.
// Their lines go to standard error as the service made them, without the
// category name or anything else a message pattern would add, so that
// readers outside can match them whatever QT_MESSAGE_PATTERN says; every other
// message goes on to the handler that was there before. Once, at start.
void InstallServiceTrace();

}  // namespace kelto::app
