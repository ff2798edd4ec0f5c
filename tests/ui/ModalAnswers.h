#pragma once
// Answers the modal boxes a command brings up, one after the other.
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// Answers the modal boxes that come up, one after the other, and keeps what
// each said as "title|text|value".
class ModalAnswers {
public:
    using TAnswer = std::function<void(QDialog*)>;
    explicit ModalAnswers(std::deque<TAnswer> answers) : answers_(std::move(answers)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(5);
    }
    std::vector<std::string> asked;
    bool Done() const { return answers_.empty(); }

    static TAnswer Text(const QString& text) {
        return [text](QDialog* d) {
            auto* box = qobject_cast<QInputDialog*>(d);
            if (!box) return d->reject();
            box->setTextValue(text);
            box->accept();
        };
    }
    // A file dialog given a path, and OK.
    static TAnswer File(const QString& path) {
        return [path](QDialog* d) {
            auto* files = qobject_cast<QFileDialog*>(d);
            if (!files) return d->reject();
            // Typed into its name field, as a user does; the dialog checks it as on OK.
            if (auto* name = files->findChild<QLineEdit*>("fileNameEdit")) name->setText(path);
            else files->selectFile(path);
            d->accept();
        };
    }
    static TAnswer Accept() {
        return [](QDialog* d) { d->accept(); };
    }
    static TAnswer Cancel() {
        return [](QDialog* d) { d->reject(); };
    }
    static TAnswer Button(QMessageBox::StandardButton button) {
        return [button](QDialog* d) {
            if (auto* box = qobject_cast<QMessageBox*>(d)) box->button(button)->click();
            else d->reject();
        };
    }

private:
    void Poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || dialog == last_) return;
        last_ = dialog;
        if (auto* box = qobject_cast<QInputDialog*>(dialog))
            asked.push_back(box->windowTitle().toStdString() + "|" + box->labelText().toStdString() + "|" +
                            box->textValue().toStdString());
        else if (auto* box = qobject_cast<QMessageBox*>(dialog))
            asked.push_back(box->text().toStdString());
        else if (auto* files = qobject_cast<QFileDialog*>(dialog))
            asked.push_back(files->windowTitle().toStdString() + "|" +
                            (files->selectedFiles().isEmpty() ? std::string() : files->selectedFiles().front().toStdString()));
        else
            asked.push_back(dialog->windowTitle().toStdString());
        if (answers_.empty()) { // unexpected: recorded above, and refused so that nothing waits for ever
            dialog->reject();
            return;
        }
        TAnswer answer = std::move(answers_.front());
        answers_.pop_front();
        // Later, not from here: an answer may bring up a box of its own (a file
        // dialog asks before overwriting), and this poll must be free to see it.
        QTimer::singleShot(0, dialog, [answer, dialog] { answer(dialog); });
    }
    std::deque<TAnswer> answers_;
    QTimer timer_;
    QPointer<QDialog> last_;
};

