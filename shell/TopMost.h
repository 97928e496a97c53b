#pragma once

class QWidget;

// Brings window in front of all others (topMost) or lets it fall back into the usual order.
void SetTopMost(QWidget *window, bool topMost);
