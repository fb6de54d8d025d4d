#pragma once
// A list's column header that measures its captions in the font it draws them
// in. Qt's own header measures every caption in bold, so that a column drawn
// bold while it is highlighted as selected keeps its width; our lists never
// highlight a column, and that measuring alone would load the bold face of the
// Japanese font (about 2 MB of its file) that nothing on screen draws.
#include <QHeaderView>

class QTreeView;

class ListHeader final : public QHeaderView {
  Q_OBJECT
 public:
  using QHeaderView::QHeaderView;

  // Puts a ListHeader in place of the view's own header. Call it before any
  // setting of the header: the old one goes, with its settings.
  static ListHeader* InstallOn(QTreeView* view);

 protected:
  QSize sectionSizeFromContents(int logicalIndex) const override;
};
