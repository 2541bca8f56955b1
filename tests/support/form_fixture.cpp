#include "form_fixture.h"

#include <QAbstractButton>

void FormFixture::click(const char* name) {
    // A click on a hidden page's button: the page need not be visible.
    find<QAbstractButton>(name)->click();
}
