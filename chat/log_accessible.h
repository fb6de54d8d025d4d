#pragma once
// What a screen reader sees of the chat log: a read-only multi-line text whose
// characters are the whole log, lines joined by line feeds, with the log's
// selection, the rectangles of the characters on screen and the offset under a
// point.

// Installs, once, the factory that gives every TRichEditEx its accessible view.
void InstallLogAccessibleFactory();
