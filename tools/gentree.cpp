// gentree: write a tree in prj1b's input format, for the tests and the benchmark.
//
//	gentree SHAPE NODES [SEED]
//
// SHAPE is balanced (every level full but the last), left or right (a chain
// of left or right children) or random (each subtree's nodes split at random
// between its two sides). NODES, from 1 to 2^62, and SEED are whole numbers,
// in digits alone. Names are 1 to 49 bytes; about one in five holds
// multi-byte UTF-8 characters.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// Seeded in main: the same seed gives the same tree, on purpose.
std::mt19937_64 rng; // NOLINT(cert-err58-cpp,cert-msc51-cpp)
std::string buf;

long tra(long a, long b)
{
	return std::uniform_int_distribution<long>(a, b)(rng);
}

void nome()
{
	static const char *const lettere =
	        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
	static const char *const multi[] = {"\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80"};
	size_t voglio = tra(1, 49), n = 0;
	bool utf8 = tra(0, 4) == 0;

	while (n < voglio) {
		const char *c = utf8 && tra(0, 2) == 0 ? multi[tra(0, 2)] : nullptr;
		size_t len = c != nullptr ? std::strlen(c) : 1;
		if (n + len > voglio)
			c = nullptr, len = 1;
		buf.append(c != nullptr ? c : &lettere[tra(0, 61)], len);
		n += len;
	}
}

void record(bool l, bool r)
{
	buf += l ? "1 " : "0 ";
	buf += r ? "1 " : "0 ";
	nome();
	buf += '\n';
	if (buf.size() >= 1 << 20) {
		std::fwrite(buf.data(), 1, buf.size(), stdout);
		buf.clear();
	}
}

// Node i has children 2i+1 and 2i+2 where they exist, that is where they
// are below n, asked without computing them past it; written in pre-order.
void bilanciato(long n)
{
	std::vector<long> pila = {0};
	while (!pila.empty()) {
		long i = pila.back();
		bool l = i < n / 2, r = i < (n - 1) / 2;
		pila.pop_back();
		record(l, r);
		if (r)
			pila.push_back((2 * i) + 2);
		if (l)
			pila.push_back((2 * i) + 1);
	}
}

// The stack holds the sizes of the subtrees still to write.
void casuale(long n)
{
	std::vector<long> pila = {n};
	while (!pila.empty()) {
		long m = pila.back();
		pila.pop_back();
		long l = tra(0, m - 1), r = m - 1 - l;
		record(l > 0, r > 0);
		if (r > 0)
			pila.push_back(r);
		if (l > 0)
			pila.push_back(l);
	}
}

// Whether all of s is a whole number, in digits alone: "3x" is not 3, nor
// is " 3" or "+3".
bool numero(const char *s, unsigned long long &v)
{
	char *fine = nullptr;
	errno = 0;
	v = std::strtoull(s, &fine, 10);
	return std::isdigit(static_cast<unsigned char>(*s)) != 0 && *fine == '\0' && errno == 0;
}

int uso()
{
	std::fprintf(stderr, "usage: gentree balanced|left|right|random NODES [SEED]\n");
	return 2;
}

} // namespace

int main(int argc, char **argv)
{
	if (argc < 3 || argc > 4)
		return uso();
	std::string forma = argv[1];
	// 2^62 nodes are more bytes than any disk holds: a larger size is a slip,
	// refused for every shape alike. Where long has 32 bits, LONG_MAX.
	const unsigned long long most = std::min<unsigned long long>(1ULL << 62, LONG_MAX);
	unsigned long long nodi = 0, seme = 1;
	if (!numero(argv[2], nodi) || nodi < 1 || nodi > most ||
	    (argc == 4 && !numero(argv[3], seme)))
		return uso();
	long n = static_cast<long>(nodi);
	rng.seed(seme);
	if (forma == "balanced")
		bilanciato(n);
	else if (forma == "random")
		casuale(n);
	else if (forma == "left" || forma == "right")
		for (long i = 0; i < n; i++)
			record(forma == "left" && i < n - 1, forma == "right" && i < n - 1);
	else
		return uso();
	std::fwrite(buf.data(), 1, buf.size(), stdout);
	return std::fflush(stdout) == 0 ? 0 : 1;
}
