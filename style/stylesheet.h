#ifndef QUILLANE_STYLESHEET_H
#define QUILLANE_STYLESHEET_H

#include <QString>

// Applies the compiled-in style sheet ":/qss/<name>" to the application and
// builds the application palette from the colour of its leading palette rule.
// A missing sheet leaves the toolkit's default look.
void loadStyleSheet(const QString &name);

#endif
