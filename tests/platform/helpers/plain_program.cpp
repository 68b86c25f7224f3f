// A program without a version note, for the file-version tests.
int main() { return 0; }
