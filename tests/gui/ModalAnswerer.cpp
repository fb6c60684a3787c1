#include "ModalAnswerer.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>

namespace albumora::test {

ModalAnswerer::ModalAnswerer(std::vector<Answer> answers) : m_answers(std::move(answers)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
    m_timer.start(10);
}

void ModalAnswerer::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
        return;
    }
    if (modal != m_current) {
        if (m_next >= static_cast<int>(m_answers.size())) {
            return;
        }
        m_current = modal;
        ++m_next;
    }
    // A dialog that is still open is answered again: a file dialog may not have taken the chosen file
    // while it was still reading its folder.
    m_answers[static_cast<size_t>(m_next - 1)](modal);
}

ModalAnswerer::Answer ModalAnswerer::Accept() {
    return [](QWidget* dialog) { qobject_cast<QDialog*>(dialog)->accept(); };
}

ModalAnswerer::Answer ModalAnswerer::ChooseFile(const std::string& path) {
    return [path](QWidget* dialog) {
        auto* files = qobject_cast<QFileDialog*>(dialog);
        files->selectFile(QString::fromStdString(path));
        // selectFile leaves the name box alone once it has the focus, so an answer repeated after a
        // first accept that came too early would accept nothing, for ever: name the file there too.
        if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
            name->setText(QString::fromStdString(path));
        }
        static_cast<QDialog*>(files)->accept();
    };
}

ModalAnswerer::Answer ModalAnswerer::ChooseFolder(const std::string& path) {
    return [path](QWidget* dialog) {
        auto* folders = qobject_cast<QFileDialog*>(dialog);
        folders->setDirectory(QString::fromStdString(path));
        static_cast<QDialog*>(folders)->accept();
    };
}

}  // namespace albumora::test
