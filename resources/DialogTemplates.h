#pragma once

#include "framework/DialogTemplate.h"

// The tool's dialog resources by id, as the dialogs and pages are built from them.
const DialogTemplate* FindDialogTemplate(int id); // nullptr when there is none
const DialogTemplate& DialogTemplateOf(int id);   // stops the program when there is none
