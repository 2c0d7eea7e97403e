// The reference of bench/startup.sh: a Qt Widgets window, empty, or with
// `--text` showing one line of text (so that it pays for the font database,
// which any window with text does on its first paint).
#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>
#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Minimal Qt");
    window.resize(1000, 640);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0)
        (new QVBoxLayout(&window))->addWidget(new QLabel("Vorpaline TIRK 设备"));
    window.show();
    return app.exec();
}
