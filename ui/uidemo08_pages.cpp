// The help page and the home page with its advertisement panel.
#include "uidemo08.h"

void UIDemo08::readHelptxt()
{
}

void UIDemo08::initHomePage()
{
}
