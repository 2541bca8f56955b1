#include "read_rate_plot.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

ReadRatePlot::ReadRatePlot(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ReadRatePlot"));
    setMinimumHeight(90);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ReadRatePlot::setSeries(const QVector<int>& readsPerSecond, const QVector<double>& rssi) {
    const auto same = [](const QVector<double>& a, const QVector<double>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](double x, double y) {
            return x == y || (std::isnan(x) && std::isnan(y));
        });
    };
    if (readsPerSecond == reads_ && same(rssi, rssi_))
        return;
    reads_ = readsPerSecond;
    rssi_ = rssi;
    update();
}

namespace {

// The smallest of 1, 2, 5 × 10^n that the value does not exceed.
int niceCeiling(int value) {
    int scale = 1;
    for (;;) {
        for (int step : {1, 2, 5})
            if (value <= step * scale)
                return step * scale;
        scale *= 10;
    }
}

} // namespace

void ReadRatePlot::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QFontMetrics metrics = painter.fontMetrics();
    const int labelWidth = metrics.horizontalAdvance(QStringLiteral("-90 dBm")) + 6;
    const QRect area =
        rect().adjusted(labelWidth, metrics.height() + 2, -labelWidth, -metrics.height() - 2);
    if (area.width() < seconds || area.height() < 10)
        return;

    int most = 1;
    for (int reads : reads_)
        most = std::max(most, reads);
    const int top = niceCeiling(most);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(QRect(0, area.top() - metrics.height() / 2, labelWidth - 4, metrics.height()),
                     Qt::AlignRight, QString::number(top));
    painter.drawText(
        QRect(0, area.bottom() - metrics.height() / 2, labelWidth - 4, metrics.height()),
        Qt::AlignRight, QStringLiteral("0"));
    painter.drawText(QRect(0, 0, width() / 2, metrics.height()), Qt::AlignLeft,
                     QCoreApplication::translate("ReadRatePlot", "读/秒（柱）"));
    painter.drawText(QRect(area.left(), area.bottom() + 2, area.width(), metrics.height()),
                     Qt::AlignLeft, QStringLiteral("-%1 s").arg(seconds));
    painter.drawText(QRect(area.left(), area.bottom() + 2, area.width(), metrics.height()),
                     Qt::AlignRight, QCoreApplication::translate("ReadRatePlot", "现在"));

    const double slot = double(area.width()) / seconds;
    const int offset = seconds - int(reads_.size());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(70, 130, 200));
    for (int i = 0; i < reads_.size(); ++i) {
        const double h = double(reads_[i]) / top * area.height();
        painter.drawRect(QRectF(area.left() + (offset + i) * slot + 0.5, area.bottom() + 1 - h,
                                std::max(1.0, slot - 1), h));
    }

    if (rssi_.isEmpty())
        return;
    const QColor line(220, 90, 30);
    painter.setPen(line);
    painter.drawText(QRect(width() / 2, 0, width() / 2, metrics.height()), Qt::AlignRight,
                     QCoreApplication::translate("ReadRatePlot", "所选标签 RSSI（线）"));
    painter.drawText(
        QRect(area.right() + 4, area.top() - metrics.height() / 2, labelWidth, metrics.height()),
        Qt::AlignLeft, QStringLiteral("%1 dBm").arg(rssiCeiling));
    painter.drawText(
        QRect(area.right() + 4, area.bottom() - metrics.height() / 2, labelWidth, metrics.height()),
        Qt::AlignLeft, QStringLiteral("%1 dBm").arg(rssiFloor));
    const int rssiOffset = seconds - int(rssi_.size());
    QPainterPath path;
    bool drawing = false;
    for (int i = 0; i < rssi_.size(); ++i) {
        if (std::isnan(rssi_[i])) {
            drawing = false;
            continue;
        }
        const double level =
            std::clamp((rssi_[i] - rssiFloor) / (rssiCeiling - rssiFloor), 0.0, 1.0);
        const QPointF at(area.left() + (rssiOffset + i + 0.5) * slot,
                         area.bottom() - level * area.height());
        if (drawing)
            path.lineTo(at);
        else
            path.moveTo(at);
        path.addEllipse(at, 1.5, 1.5);
        path.moveTo(at);
        drawing = true;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(line, 1.5));
    painter.drawPath(path);
}
