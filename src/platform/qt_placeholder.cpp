// Replaced as the qt layer is written.
