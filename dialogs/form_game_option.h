#pragma once
// The game options dialog: how the game program runs (window or full screen,
// screen size, frame rate, shadows, model quality, fog) and whether chat lines
// carry the time. Each game value is the index of the chosen item.

#include <QDialog>
#include <cstdint>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

class TFormGameOption final : public QDialog {
  Q_OBJECT
 public:
  explicit TFormGameOption(QWidget* parent = nullptr);

  // Shows the dialog modally with the given values. A value outside its
  // control's items is shown at the nearest end of the control. OK: every value
  // is replaced by its control's choice (so an out-of-range value comes back
  // clamped), true. Cancel or the close box: nothing changes, false. Called
  // while already open: false at once.
  bool Execute(int32_t& mode, int32_t& size, int32_t& frameRate, int32_t& shadow, int32_t& model, int32_t& fog,
               bool& chatTime);
  // The same with the settings' record (GameOptions), named by its fields so
  // that the dialogs need not include the lobby's headers.
  template <class Options>
  bool Execute(Options& options, bool& chatTime) {
    return Execute(options.GameMode, options.GameSize, options.GameFrameRate, options.GameShadow, options.GameModel,
                   options.GameFog, chatTime);
  }

  // The number of items of each control.
  static constexpr int kModeCount = 2;
  static constexpr int kSizeCount = 13;
  static constexpr int kFrameRateCount = 2;
  static constexpr int kShadowCount = 3;
  static constexpr int kModelCount = 2;
  static constexpr int kFogCount = 2;

 private:
  QGroupBox* AddRadioGroup(const char* objectName, const QString& caption, QButtonGroup*& group,
                           std::initializer_list<const char*> items);
  static void SelectIndex(QButtonGroup* group, int index, int count);

  QGroupBox* GroupBoxGame;
  QGroupBox* GroupBoxChat;
  QButtonGroup* RadioGroupMode = nullptr;
  QComboBox* RadioGroupSize;
  QButtonGroup* RadioGroupFrameRate = nullptr;
  QButtonGroup* RadioGroupShadow = nullptr;
  QButtonGroup* RadioGroupModel = nullptr;
  QButtonGroup* RadioGroupFog = nullptr;
  QCheckBox* CheckBoxChatTime;
  QPushButton* ButtonOK;
  QPushButton* ButtonCancel;
};
