// Sequence files with their commands, the remembered name and the window title.
#pragma once

int readSequenceFile(const char* path);
int writeSequenceFile(const char* path);
void clearSequence();

void onLoadSequence();
bool saveSequence(bool alwaysAsk, bool showResult);
