// Linked with all of one layer's objects and only the layers below it: it
// builds only while no layer calls into one above it.
int main() {
    return 0;
}
