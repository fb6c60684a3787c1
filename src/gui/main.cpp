#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel placeholder("Albumora");
    placeholder.show();
    return QApplication::exec();
}
