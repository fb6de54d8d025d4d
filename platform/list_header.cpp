#include "platform/list_header.h"

#include <QIcon>
#include <QPixmap>
#include <QStyleOptionHeader>
#include <QTreeView>

ListHeader* ListHeader::InstallOn(QTreeView* view) {
  auto* header = new ListHeader(Qt::Horizontal, view);
  view->setHeader(header);
  return header;
}

QSize ListHeader::sectionSizeFromContents(int logicalIndex) const {
  // A header that does highlight its selected columns draws them bold: Qt's
  // measure is the right one there.
  if (highlightSections() || model() == nullptr) return QHeaderView::sectionSizeFromContents(logicalIndex);
  ensurePolished();
  const QVariant hint = model()->headerData(logicalIndex, orientation(), Qt::SizeHintRole);
  if (hint.isValid()) return hint.toSize();
  QStyleOptionHeader option;
  initStyleOption(&option);
  option.section = logicalIndex;
  const QVariant captionFont = model()->headerData(logicalIndex, orientation(), Qt::FontRole);
  option.fontMetrics = QFontMetrics(captionFont.canConvert<QFont>() ? captionFont.value<QFont>() : font());
  option.text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
  const QVariant decoration = model()->headerData(logicalIndex, orientation(), Qt::DecorationRole);
  option.icon = decoration.value<QIcon>();
  if (option.icon.isNull()) option.icon = decoration.value<QPixmap>();
  QSize size = style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
  if (isSortIndicatorShown()) {
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, &option, this);
    if (orientation() == Qt::Horizontal) {
      size.rwidth() += size.height() + margin;
    } else {
      size.rheight() += size.width() + margin;
    }
  }
  return size;
}
