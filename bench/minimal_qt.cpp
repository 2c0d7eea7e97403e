#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Minimal Qt");
    window.resize(1000, 640);
    window.show();
    return app.exec();
}
