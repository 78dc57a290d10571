#include "gui/korean_font.h"

#include <QApplication>
#include <QFontDatabase>

namespace gui {

bool useKoreanFont(QApplication& app)
{
    for (const char* family : { "NanumGothic", "NanumBarunGothic", "Noto Sans CJK KR" }) {
        if (QFontDatabase::hasFamily(family)) {
            QFont font(family);
            font.setPointSize(10);
            app.setFont(font);
            return true;
        }
    }
    return false;
}

} // namespace gui
