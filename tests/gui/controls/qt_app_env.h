// One QApplication for a GoogleTest binary, on the offscreen platform unless the caller
// chose another (screenshots run under Xvfb).
#pragma once
class QApplication;
QApplication& TestApp();
