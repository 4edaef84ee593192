// Placeholder until the listing bench lands.
int main() {
  return 0;
}
