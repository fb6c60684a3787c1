#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

namespace albumora::test {

// Answers the modal dialogs that a handler opens, in the order they open, from within their own event
// loops; each one until it has closed.
class ModalAnswerer {
public:
    using Answer = std::function<void(QWidget* dialog)>;

    explicit ModalAnswerer(std::vector<Answer> answers);
    int answered() const { return m_next; }

    // Presses OK or Yes.
    static Answer Accept();
    // Chooses `path` in a file dialog and accepts it.
    static Answer ChooseFile(const std::string& path);
    // Opens `path` in a folder dialog and accepts it.
    static Answer ChooseFolder(const std::string& path);

private:
    void Poll();

    std::vector<Answer> m_answers;
    int m_next = 0;
    QPointer<QWidget> m_current;
    QTimer m_timer;
};

}  // namespace albumora::test
