#pragma once
// The report settings window (objectName SettingsFrm). Loaded hidden at start-up; its controls
// hold the values in effect, which OK stores. Closing the window by its frame
// drops the edits and puts the stored values back.

#include <QDialog>
#include <map>
#include <string>

#include "report/report_settings.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QSpinBox;

namespace tallyfold::gui {

class SettingsWindow : public QDialog {
  Q_OBJECT

 public:
  void reject() override;
  explicit SettingsWindow(QWidget* parent);

  // The values of the controls.
  ReportSettings settings() const;
  // Every finished scan goes into the catalogue.
  bool addEveryScan() const;
  void showSettings(const ReportSettings& settings);
  // Reads the store into the controls.
  void loadFromStore();
  // Writes the controls to the store; false (after telling the user) when the
  // store could not be written.
  bool saveToStore();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* buildGeneralPage();
  QWidget* buildFieldsPage();
  QWidget* buildMediaPage();
  QCheckBox* addCheck(const char* name, const QString& caption, QWidget* parent);
  void acceptSettings();

  std::map<std::string, QCheckBox*> checks_;
  QComboBox* showSizeIn_ = nullptr;
  QSpinBox* columnSize_ = nullptr;
  QCheckBox* addEveryScan_ = nullptr;
};

}  // namespace tallyfold::gui
