// The guidance window: short illustrated pages on design strategy, from choosing the
// frequency range to adjusting capacitor values, reached by every Strategy button.
#pragma once

#include <QDialog>
#include <array>
#include <filesystem>

class QListWidget;
class QPushButton;

namespace tavrin::ui {

class HelpBrowser;

class TfmStrategy : public QDialog {
  Q_OBJECT

 public:
  struct Topic {
    const char* title;
    const char* file;
  };
  static constexpr int kTopicCount = 13;
  static const std::array<Topic, kTopicCount>& Topics();

  explicit TfmStrategy(const std::filesystem::path& folder, QWidget* parent = nullptr);

  void ShowPage(int index);
  int CurrentPage() const;
  HelpBrowser* View() const { return view_; }

 private:
  std::filesystem::path folder_;
  QListWidget* list_ = nullptr;
  HelpBrowser* view_ = nullptr;
  QPushButton* previous_ = nullptr;
  QPushButton* next_ = nullptr;
};

}  // namespace tavrin::ui
