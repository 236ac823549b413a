#pragma once
// Options > "Share Live Timing...": starts and stops sharing the race on the
// live timing page, with the port and the network interface to listen on;
// while sharing it shows the link (with its access token) and the link as a
// QR code for a phone to scan. A window of its own, not modal: timing goes
// on while it is open.

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace sw {

class LiveSharing;
class Prompts;

class ShareDialog : public QDialog
{
    Q_OBJECT
public:
    ShareDialog(LiveSharing &sharing, Prompts &prompts, QWidget *parent = nullptr);

    // Start or stop, as the button does.
    void toggleSharing();

    QSpinBox *portBox = nullptr;
    QComboBox *interfaceBox = nullptr;
    QPushButton *startStopButton = nullptr;
    QLabel *linkLabel = nullptr;
    QLabel *qrLabel = nullptr;
    QLabel *viewersLabel = nullptr;

private:
    void fillInterfaces();
    void showSharing();

    LiveSharing &m_sharing;
    Prompts &m_prompts;
};

} // namespace sw
