#pragma once
// What a screen reader sees of the chat log: a read-only multi-line text whose
// characters are the whole log, lines joined by line feeds, with the log's
// selection, the rectangles of the characters on screen and the offset under a
// point. A link focused with the keyboard is its selection while it has the
// focus, so a screen reader reads the link.

class TRichEditEx;

// Installs, once, the factory that gives every TRichEditEx its accessible view.
void InstallLogAccessibleFactory();
// Tells a screen reader, when one listens, that the log's selection changed.
void AnnounceLogSelection(TRichEditEx* log);
