#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <ostream>

// How test failures show Qt's geometry values (found by argument-dependent lookup).
inline std::ostream& operator<<(std::ostream& out, const QRect& r) {
    return out << "(" << r.x() << "," << r.y() << " " << r.width() << "x" << r.height() << ")";
}
inline std::ostream& operator<<(std::ostream& out, const QSize& s) {
    return out << s.width() << "x" << s.height();
}
inline std::ostream& operator<<(std::ostream& out, const QPoint& p) {
    return out << "(" << p.x() << "," << p.y() << ")";
}
