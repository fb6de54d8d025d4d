// The talk colours as the log draws them, read back from its pixels: exactly
// the described colours on a light palette, and on a dark one lighter shades of
// the same hues that read at 4.5:1 or better; a palette change repaints them.
// And the frame's pictures, drawn for each scale a screen may have.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QTest>

#include "chat/chat_line.h"
#include "chat/chat_sheet.h"
#include "chat/icons.h"
#include "chat/rich_edit_ex.h"
#include "platform/colour_contrast.h"
#include "platform/cp932.h"
#include "wait.h"

namespace {

Rgb RgbOf(QRgb p) {
  return {static_cast<uint8_t>(qRed(p)), static_cast<uint8_t>(qGreen(p)), static_cast<uint8_t>(qBlue(p))};
}

QPalette PaletteWith(const QColor& base, const QColor& text) {
  QPalette p = QApplication::palette();
  p.setColor(QPalette::Base, base);
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::Window, base);
  return p;
}

// Each line's ink, top to bottom: the rows that differ from the background
// form one band per line, and the band's pixel that stands out most is the
// core of its glyphs (full squares, so the colour itself).
std::vector<Rgb> LineInks(TRichEditEx& log, Rgb base) {
  const QImage shot = log.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  std::vector<Rgb> inks;
  bool inBand = false;
  double best = 1;
  for (int y = 0; y < shot.height(); ++y) {
    bool inked = false;
    for (int x = 0; x < shot.width(); ++x) {
      const Rgb p = RgbOf(shot.pixel(x, y));
      if (p == base) continue;
      inked = true;
      if (!inBand) inks.push_back(base), best = 1, inBand = true;
      const double c = ContrastRatio(p, base);
      if (c > best) best = c, inks.back() = p;
    }
    if (!inked) inBand = false;
  }
  return inks;
}

TEST(ChatLogPaletteTest, EveryTalkKindReadsOnALightAndADarkPalette) {
  const struct {
    const char* name;
    QColor base, text;
    bool dark;
  } palettes[] = {
      {"light", QColor(255, 255, 255), Qt::black, false},
      {"dark (Adwaita)", QColor(45, 45, 45), QColor(238, 238, 236), true},
      {"black", QColor(0, 0, 0), Qt::white, true},
  };
  const uint8_t kinds[] = {0, 1, 2, 3};  // black, red, green, blue
  TRichEditEx log;
  log.setPalette(PaletteWith(palettes[0].base, palettes[0].text));
  log.resize(300, 120);
  log.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&log));
  for (uint8_t kind : kinds) {
    const ChatColor c = TalkColor(kind);
    log.AppendLine(cp932::FromUtf8("■■■■■■"), QColor(c.r, c.g, c.b));
  }
  for (const auto& pal : palettes) {
    SCOPED_TRACE(pal.name);
    // Changed while the log runs: it must repaint in the new colours.
    log.setPalette(PaletteWith(pal.base, pal.text));
    ASSERT_TRUE(WaitUntil([&] { return !log.HasPendingUpdate(); }));
    QApplication::processEvents();
    const Rgb base = RgbOf(pal.base.rgb());
    const std::vector<Rgb> inks = LineInks(log, base);
    ASSERT_EQ(inks.size(), 4u);
    for (size_t i = 0; i < inks.size(); ++i) {
      const ChatColor described = TalkColor(kinds[i]);
      SCOPED_TRACE("kind " + std::to_string(kinds[i]));
      if (!pal.dark) {
        EXPECT_EQ(inks[i], described) << "a light palette keeps the colour exactly";
        continue;
      }
      EXPECT_GE(ContrastRatio(inks[i], base), 4.5);
      // The same hue: the channels that were equal stay equal, the largest stays largest.
      if (described.g == described.b) {
        EXPECT_EQ(inks[i].g, inks[i].b);
      }
      if (described.r == described.b) {
        EXPECT_EQ(inks[i].r, inks[i].b);
      }
      if (described.r == described.g) {
        EXPECT_EQ(inks[i].r, inks[i].g);
      }
    }
  }
}

// A line naming the player lies on a band taken from the palette's highlight,
// and its ink reads on that band as well as on the base, light or dark.
TEST(ChatLogPaletteTest, AMarkedLineFollowsThePaletteAndReads) {
  const struct {
    const char* name;
    QColor base, text, highlight;
  } palettes[] = {
      {"light", QColor(255, 255, 255), Qt::black, QColor(48, 140, 198)},
      {"dark (Adwaita)", QColor(45, 45, 45), QColor(238, 238, 236), QColor(21, 83, 158)},
      {"black, orange highlight", QColor(0, 0, 0), Qt::white, QColor(240, 120, 0)},
  };
  TRichEditEx log;
  log.resize(300, 120);
  log.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&log));
  log.AppendLine(cp932::FromUtf8("■■■■■■"), QColor(0, 0, 0));
  log.AppendLine(cp932::FromUtf8("■■■■■■"), QColor(0, 0, 0), true);
  log.AppendLine(cp932::FromUtf8("■■■■■■"), QColor(0, 0, 255), true);
  for (const auto& pal : palettes) {
    SCOPED_TRACE(pal.name);
    QPalette p = PaletteWith(pal.base, pal.text);
    p.setColor(QPalette::Highlight, pal.highlight);
    log.setPalette(p);
    ASSERT_TRUE(WaitUntil([&] { return !log.HasPendingUpdate(); }));
    QApplication::processEvents();
    const QImage shot = log.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect first = log.CharRect(0, 0), second = log.CharRect(1, 0), third = log.CharRect(2, 0);
    ASSERT_FALSE(second.isEmpty());
    const Rgb base = RgbOf(pal.base.rgb());
    // The band: at the right end of the marked rows, past their text.
    const Rgb band = RgbOf(shot.pixel(shot.width() - 3, second.center().y()));
    EXPECT_EQ(RgbOf(shot.pixel(shot.width() - 3, first.center().y())), base) << "a plain line has no band";
    EXPECT_NE(band, base);
    EXPECT_EQ(RgbOf(shot.pixel(shot.width() - 3, third.center().y())), band);
    EXPECT_EQ(band, RgbOf(log.MarkBackground().rgb()));
    // Towards the highlight: each channel lies between the base's and the highlight's.
    EXPECT_GE(band.b, std::min<int>(base.b, pal.highlight.blue()));
    EXPECT_LE(band.b, std::max<int>(base.b, pal.highlight.blue()));
    for (const QRect& r : {second, third}) {
      const Rgb ink = RgbOf(shot.pixel(r.center()));
      EXPECT_GE(ContrastRatio(ink, band), 4.5) << "ink " << int(ink.r) << "," << int(ink.g) << "," << int(ink.b);
    }
  }
}

TEST(ChatLogPaletteTest, TheColourRuleLightensOnlyWhatDoesNotRead) {
  const Rgb white{255, 255, 255}, dark{45, 45, 45};
  for (const Rgb c : {TalkColor(0), TalkColor(1), TalkColor(2), TalkColor(3)}) {
    EXPECT_EQ(ReadableOn(c, white), c);
    EXPECT_EQ(ReadableOn(c, Rgb{240, 240, 240}), c) << "a light grey window";
    const Rgb shown = ReadableOn(c, dark);
    EXPECT_GE(ContrastRatio(shown, dark), 4.5);
    EXPECT_LT(ContrastRatio(shown, dark), 5.0) << "lightened just enough, not to white";
  }
  EXPECT_EQ(ReadableOn(Rgb{255, 255, 0}, dark), (Rgb{255, 255, 0})) << "yellow already reads on dark grey";
  EXPECT_FALSE(IsDarkBackground(Rgb{128, 128, 128}));
  EXPECT_TRUE(IsDarkBackground(Rgb{100, 100, 100}));
}

// A screen at 200 % or 300 % gets a picture drawn for it, not the 100 % one
// stretched (which blurs every edge).
TEST(ChatLogPaletteTest, PicturesAreDrawnForEveryScale) {
  const struct {
    const char* what;
    QIcon icon;
    int logical;
  } pictures[] = {
      {"lit member lamp", MemberIcon(0), 16},
      {"unlit member lamp", MemberIcon(1), 16},
      {"bell", BellIcon(), 24},
      {"tab bulb", ChatTabImage(TChatSheet::ImageNewTalk), 16},
  };
  for (const auto& picture : pictures) {
    SCOPED_TRACE(picture.what);
    const QList<QSize> sizes = picture.icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(picture.logical, picture.logical)));
    EXPECT_TRUE(sizes.contains(QSize(2 * picture.logical, 2 * picture.logical)));
    const QPixmap twice = picture.icon.pixmap(QSize(picture.logical, picture.logical), 2.0);
    EXPECT_EQ(twice.size(), QSize(2 * picture.logical, 2 * picture.logical));
    EXPECT_EQ(twice.devicePixelRatio(), 2.0);
  }
}

}  // namespace
