// Gui test helpers live in headers beside this file.
