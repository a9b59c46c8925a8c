// What the window tests share: a fresh TAVRIN_HOME per test, a presenter that answers the
// message boxes and writes down what they said, and a log that puts the beeps in order.
#pragma once

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "ui/FileDialogs.h"
#include "ui/MessageBoxes.h"
#include "ui/TfmMain.h"

namespace uitest {

// One box as the user saw it.
struct Shown {
  QString text;
  tavrin::approx::MessageKind kind;
  tavrin::approx::MessageButtons buttons;
};

class RecordingPresenter : public tavrin::ui::MessagePresenter {
 public:
  explicit RecordingPresenter(QStringList& log) : log_(log) {}

  QList<Shown> shown;
  // Answers given in turn; once they run out, the first button of the box.
  QList<QMessageBox::StandardButton> answers;

  QMessageBox::StandardButton Present(QWidget* /*parent*/, const tavrin::approx::Message& m) override {
    const QString text = QString::fromStdString(m.text);
    shown.push_back({text, m.kind, m.buttons});
    log_ << QStringLiteral("box:") + text;
    if (!answers.isEmpty()) return answers.takeFirst();
    return m.buttons == tavrin::approx::MessageButtons::YesNoCancel ? QMessageBox::Yes : QMessageBox::Ok;
  }

  QStringList Texts() const {
    QStringList t;
    for (const Shown& s : shown) t << s.text;
    return t;
  }

 private:
  QStringList& log_;
};

// Answers the file dialogs with names given in turn (none left: the user cancels) and
// keeps what each dialog was asked to show.
class ScriptedFileDialogs : public tavrin::ui::FileDialogs {
 public:
  QStringList answers;
  QList<tavrin::ui::FileDialogRequest> saveRequests;
  QList<tavrin::ui::FileDialogRequest> openRequests;

  QString SaveFileName(QWidget* /*parent*/, const tavrin::ui::FileDialogRequest& request) override {
    saveRequests.push_back(request);
    return answers.isEmpty() ? QString() : answers.takeFirst();
  }
  QString OpenFileName(QWidget* /*parent*/, const tavrin::ui::FileDialogRequest& request) override {
    openRequests.push_back(request);
    return answers.isEmpty() ? QString() : answers.takeFirst();
  }
};

// A main window as the program makes it, with the recording presenter in place.
class Fixture {
 public:
  Fixture() {
    home_ = std::make_unique<QTemporaryDir>();
    qputenv("TAVRIN_HOME", home_->path().toLocal8Bit());
    tavrin::ui::SetBeepObserver([this] { log << QStringLiteral("beep"); });
  }
  ~Fixture() {
    tavrin::ui::SetBeepObserver({});
    main.reset();
  }

  tavrin::ui::TfmMain& Make() {
    main = std::make_unique<tavrin::ui::TfmMain>();
    auto p = std::make_unique<RecordingPresenter>(log);
    presenter = p.get();
    main->SetMessagePresenter(std::move(p));
    auto d = std::make_unique<ScriptedFileDialogs>();
    dialogs = d.get();
    main->SetFileDialogs(std::move(d));
    return *main;
  }

  // Shown and active, for tests that look at the keyboard focus.
  bool ShowActive() {
    main->show();
    main->activateWindow();
    return QTest::qWaitForWindowActive(main.get());
  }

  QString HomePath() const { return home_->path(); }

  QStringList log;
  RecordingPresenter* presenter = nullptr;
  ScriptedFileDialogs* dialogs = nullptr;
  std::unique_ptr<tavrin::ui::TfmMain> main;

 private:
  std::unique_ptr<QTemporaryDir> home_;
};

template <typename T = QWidget>
T* Find(const QObject& root, const QString& name) {
  T* found = root.findChild<T*>(name);
  if (!found) qWarning("nothing named %s", qPrintable(name));
  return found;
}

inline QLineEdit* Edit(const QObject& root, const QString& name) {
  return Find<QLineEdit>(root, name);
}

// Replaces a field's text the way a user does: select all, delete, type.
inline void Type(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClicks(edit, text);
}

inline void Click(const QObject& root, const QString& name) {
  auto* button = Find<QAbstractButton>(root, name);
  QVERIFY2(button, qPrintable(name));
  QVERIFY2(button->isEnabled(), qPrintable(name + QStringLiteral(" is disabled")));
  QTest::mouseClick(button, Qt::LeftButton);
}

inline void Trigger(const QObject& root, const QString& actionName) {
  auto* action = Find<QAction>(root, actionName);
  QVERIFY2(action, qPrintable(actionName));
  action->trigger();
}

// Chooses a combo box item as a user does, so the box reports it as the user's choice.
inline void Choose(QComboBox* box, const QString& item) {
  const int index = box->findText(item);
  QVERIFY2(index >= 0, qPrintable(item));
  box->setFocus();
  while (box->currentIndex() < index) QTest::keyClick(box, Qt::Key_Down);
  while (box->currentIndex() > index) QTest::keyClick(box, Qt::Key_Up);
}

inline QStringList Items(const QComboBox* box) {
  QStringList items;
  for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
  return items;
}

}  // namespace uitest
