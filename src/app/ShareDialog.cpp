#include "app/ShareDialog.h"

#include "share/LiveSharing.h"
#include "share/QrCode.h"
#include "ui/Prompts.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QNetworkInterface>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace sw {

ShareDialog::ShareDialog(LiveSharing &sharing, Prompts &prompts, QWidget *parent)
    : QDialog(parent), m_sharing(sharing), m_prompts(prompts)
{
    setObjectName(QStringLiteral("shareDialog"));
    setWindowTitle(QStringLiteral("Share Live Timing"));

    portBox = new QSpinBox(this);
    portBox->setObjectName(QStringLiteral("sharePort"));
    portBox->setRange(0, 65535);
    portBox->setValue(sharing.rememberedPort());
    interfaceBox = new QComboBox(this);
    interfaceBox->setObjectName(QStringLiteral("shareInterface"));
    fillInterfaces();
    startStopButton = new QPushButton(this);
    startStopButton->setObjectName(QStringLiteral("shareStartStop"));
    linkLabel = new QLabel(this);
    linkLabel->setObjectName(QStringLiteral("shareLink"));
    linkLabel->setOpenExternalLinks(true);
    linkLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);
    qrLabel = new QLabel(this);
    qrLabel->setObjectName(QStringLiteral("shareQrCode"));
    qrLabel->setAlignment(Qt::AlignCenter);
    viewersLabel = new QLabel(this);
    viewersLabel->setObjectName(QStringLiteral("shareViewers"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Port:"), portBox);
    form->addRow(QStringLiteral("Network interface:"), interfaceBox);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(startStopButton);
    layout->addWidget(linkLabel);
    layout->addWidget(qrLabel);
    layout->addWidget(viewersLabel);

    connect(startStopButton, &QPushButton::clicked, this, &ShareDialog::toggleSharing);
    connect(&sharing, &LiveSharing::sharingChanged, this, &ShareDialog::showSharing);
    connect(&sharing, &LiveSharing::viewerCountChanged, this, &ShareDialog::showSharing);
    showSharing();
}

void ShareDialog::fillInterfaces()
{
    interfaceBox->addItem(QStringLiteral("All interfaces"), QString());
    const QHostAddress remembered = m_sharing.rememberedAddress();
    const QList<QHostAddress> addresses = QNetworkInterface::allAddresses();
    for (const QHostAddress &a : addresses) {
        // Link-local IPv6 addresses need a scope a link cannot carry well.
        if (a.protocol() == QAbstractSocket::IPv6Protocol && a.isLinkLocal())
            continue;
        interfaceBox->addItem(a.toString(), a.toString());
        if (!remembered.isNull() && a == remembered)
            interfaceBox->setCurrentIndex(interfaceBox->count() - 1);
    }
}

void ShareDialog::toggleSharing()
{
    if (m_sharing.isSharing()) {
        m_sharing.stop();
        return;
    }
    const QHostAddress address(interfaceBox->currentData().toString());
    if (!m_sharing.start(address, quint16(portBox->value())))
        m_prompts.info(QStringLiteral("Live timing cannot be shared on port %1:\n%2")
                           .arg(portBox->value())
                           .arg(m_sharing.errorString()));
}

void ShareDialog::showSharing()
{
    const bool sharing = m_sharing.isSharing();
    portBox->setEnabled(!sharing);
    interfaceBox->setEnabled(!sharing);
    startStopButton->setText(sharing ? QStringLiteral("Stop Sharing") : QStringLiteral("Start Sharing"));
    if (!sharing) {
        linkLabel->setText(QStringLiteral("The race is not shared."));
        qrLabel->clear();
        viewersLabel->clear();
        return;
    }
    const QString link = m_sharing.url().toString();
    linkLabel->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(link.toHtmlEscaped()));
    qrLabel->setPixmap(QPixmap::fromImage(qrCodeImage(link, 4)));
    const int viewers = m_sharing.viewerCount();
    viewersLabel->setText(viewers == 1 ? QStringLiteral("1 viewer") : QStringLiteral("%1 viewers").arg(viewers));
}

} // namespace sw
