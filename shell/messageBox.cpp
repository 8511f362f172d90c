#include "messageBox.h"

MessageBoxFunction showMessageBox = MessageBoxA;
