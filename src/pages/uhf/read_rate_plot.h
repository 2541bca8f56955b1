#pragma once

#include <QVector>
#include <QWidget>

// The last minute of an inventory: reads per second as bars on the left scale
// and the selected tag's RSSI as a line on the right scale (dBm). Painted by
// hand with QPainter: one small widget instead of a chart library, which would
// be a package more and far heavier for 60 bars and a line.
class ReadRatePlot : public QWidget {
  public:
    static constexpr int seconds = 60;
    // The RSSI scale, dBm.
    static constexpr int rssiFloor = -90;
    static constexpr int rssiCeiling = -20;

    explicit ReadRatePlot(QWidget* parent = nullptr);

    // One value per second, oldest first, the last one the second under way;
    // rssi holds NaN for the seconds in which the tag was not read, and is
    // empty when no tag is selected.
    void setSeries(const QVector<int>& readsPerSecond, const QVector<double>& rssi);
    const QVector<int>& readsPerSecond() const { return reads_; }
    const QVector<double>& rssi() const { return rssi_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QVector<int> reads_;
    QVector<double> rssi_;
};
