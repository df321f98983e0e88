// "kps-dont-flush-textarea": a textarea's content follows its start tag directly and its end tag
// follows the content, with no line break added inside.
//
// libtidy 5.6 already prints a textarea that way: its printer copies the content between the
// tags as read, in the HTML, XHTML and XML modes alike and whether or not it indents (breaks are
// added only outside the element). The switch is therefore accepted and kept, and needs no
// action of its own; the cleaner's tests hold the library to this behaviour, with the switch on
// and off, so that a library that starts to break inside textarea is noticed.
#pragma once
