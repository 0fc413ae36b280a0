// Replaced as the voice layer is written.
