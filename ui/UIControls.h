// Every control class the skin vocabulary names, for the control factory and for code that
// works with controls of several families.
#pragma once

#include "ui/UIButton.h"
#include "ui/UICombo.h"
#include "ui/UIContainer.h"
#include "ui/UIEdit.h"
#include "ui/UIExtraControls.h"
#include "ui/UILabel.h"
#include "ui/UILayout.h"
#include "ui/UIList.h"
#include "ui/UIRichEdit.h"
#include "ui/UIScrollBar.h"
