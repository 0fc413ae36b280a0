// Replaced as the files layer is written.
