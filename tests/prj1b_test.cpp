// End-to-end tests: prj1b runs as a user runs it, with the input on standard
// input; standard output, standard error and the exit status are compared.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;
using std::string;
using std::vector;

namespace {

const string id = "Tavrel Onbek\nRuvis Melqard\n07\n12\n2026\ntavrel.onbek@example.org\n";
const long maxlivelli = 1000000; // the depth limit the README states

struct esito {
	string out, err;
	int status;
};

string leggi(const fs::path &p)
{
	std::ifstream f(p, std::ios::binary);
	std::ostringstream s;
	s << f.rdbuf();
	return s.str();
}

// This process's scratch folder, removed when the tests end.
const fs::path &cartella()
{
	static const fs::path dir = [] {
		fs::path d = fs::temp_directory_path() / ("prj1b-test-" + std::to_string(getpid()));
		fs::create_directories(d);
		return d;
	}();
	return dir;
}

fs::path temp(const string &nome)
{
	return cartella() / nome;
}

struct pulizia : testing::Environment {
	void TearDown() override
	{
		fs::remove_all(cartella());
	}
};
testing::Environment *const ambiente = testing::AddGlobalTestEnvironment(new pulizia);

fs::path scrivi(const string &nome, const string &testo)
{
	fs::path p = temp(nome);
	std::ofstream(p, std::ios::binary) << testo;
	return p;
}

// Runs prog on the file `in`, standard output to `out`; `as` limits the
// child's address space, and then its stack too, so that the limit holds.
int lancia(vector<string> args, const fs::path &in, const fs::path &out, rlim_t as = 0)
{
	fs::path e = temp("err");
	pid_t pid = fork();
	if (pid == 0) {
		int fi = open(in.c_str(), O_RDONLY),
		    fo = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
		    fe = open(e.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
		if (fi < 0 || fo < 0 || fe < 0 || dup2(fi, 0) < 0 || dup2(fo, 1) < 0 ||
		    dup2(fe, 2) < 0)
			_exit(126);
		struct rlimit r = {as, as}, s = {8 << 20, 8 << 20};
		if (as != 0 && (setrlimit(RLIMIT_AS, &r) != 0 || setrlimit(RLIMIT_STACK, &s) != 0))
			_exit(126);
		vector<char *> argv;
		argv.reserve(args.size() + 1);
		for (string &a : args)
			argv.push_back(a.data());
		argv.push_back(nullptr);
		execv(argv[0], argv.data());
		_exit(127);
	}
	int st = 0;
	waitpid(pid, &st, 0);
	return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

esito esegui(const fs::path &in, const vector<string> &args = {}, rlim_t as = 0,
             const fs::path &out = {})
{
	vector<string> argv = {PRJ1B};
	argv.insert(argv.end(), args.begin(), args.end());
	int status = lancia(argv, in, out.empty() ? temp("out") : out, as);
	return {out.empty() ? leggi(temp("out")) : "", leggi(temp("err")), status};
}

// A tree of the given shape and size from tools/gentree, as a file.
fs::path albero(const string &forma, long nodi)
{
	fs::path p = temp(forma);
	if (lancia({GENTREE, forma, std::to_string(nodi)}, "/dev/null", p) != 0)
		throw std::runtime_error("gentree " + forma + " failed");
	return p;
}

// Equality that names the first differing line rather than printing megabytes.
testing::AssertionResult uguale(const string &got, const string &want)
{
	if (got == want)
		return testing::AssertionSuccess();
	size_t i =
	        std::mismatch(got.begin(), got.end(), want.begin(), want.end()).first - got.begin();
	size_t riga = std::count(want.begin(),
	                         want.begin() + static_cast<long>(std::min(i, want.size())), '\n');
	size_t da = riga == 0 ? 0 : want.rfind('\n', i - 1) + 1;
	return testing::AssertionFailure()
	       << "output differs at line " << riga + 1 << " (got " << got.size() << " bytes, want "
	       << want.size() << "): got \"" << got.substr(da, 60) << "\", want \""
	       << want.substr(da, 60) << "\"";
}

// Every NAME.txt under tests/cases and examples gives exactly NAME.out.
vector<string> casi()
{
	vector<string> v;
	for (const char *dir : {CASES, EXAMPLES})
		for (const auto &f : fs::directory_iterator(dir))
			if (f.path().extension() == ".txt")
				v.push_back(f.path());
	std::sort(v.begin(), v.end());
	return v;
}

class Casi : public testing::TestWithParam<string> {};

TEST_P(Casi, Listing)
{
	fs::path in = GetParam();
	esito r = esegui(in);
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.err, "");
	EXPECT_TRUE(uguale(r.out, leggi(fs::path(in).replace_extension(".out"))));
}

INSTANTIATE_TEST_SUITE_P(File, Casi, testing::ValuesIn(casi()), [](const auto &p) {
	fs::path f = p.param;
	string n = f.parent_path().filename().string() + "_" + f.stem().string();
	std::replace_if(
	        n.begin(), n.end(), [](char c) { return !isalnum(static_cast<unsigned char>(c)); },
	        '_');
	return n;
});

TEST(Argomenti, Ignored)
{
	esito r = esegui(EXAMPLES "/tree.txt", {"-h", "--version", "tree.txt"});
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.out, leggi(EXAMPLES "/tree.out"));
}

// The listing of a well-formed input of short names, had reading stopped at
// `nodi` nodes or `livelli` levels. Iterative, so a chain of any depth fits.
string modello(const string &in, long nodi = LONG_MAX, long livelli = LONG_MAX)
{
	struct nodo {
		long d;
		bool l, r;
		string nome;
		int fase;
	};
	std::istringstream ss(in);
	vector<nodo> pila;
	string out;
	long letti = 0;
	bool fermo = false;
	auto leggi = [&](long d) {
		if (fermo || letti == nodi || d == livelli) {
			fermo = true;
			return;
		}
		long l = 0, r = 0;
		string nome;
		ss >> l >> r >> nome;
		letti++;
		out += std::to_string(l) + " " + std::to_string(r) + "\n";
		pila.push_back({d, l != 0, r != 0, nome, 0});
	};
	leggi(0);
	while (!pila.empty()) {
		nodo &n = pila.back();
		long d = n.d;
		if (n.fase < 2) {
			bool figlio = n.fase++ == 0 ? n.l : n.r;
			if (figlio)
				leggi(d + 1); // may move n
			continue;
		}
		string nome = n.nome;
		if (d % 3 == 0) {
			vector<string> c; // the name's characters, told by their first byte
			for (size_t i = 0; i < nome.size();) {
				auto b = static_cast<unsigned char>(nome[i]);
				size_t len = b < 0x80 ? 1 : b < 0xe0 ? 2 : b < 0xf0 ? 3 : 4;
				c.push_back(nome.substr(i, len));
				i += len;
			}
			nome.clear();
			for (auto i = c.rbegin(); i != c.rend(); ++i)
				nome += *i;
		}
		out += nome + "\n";
		pila.pop_back();
	}
	return out;
}

TEST(Profondo, ChainsToTheLimitAreListedInFull)
{
	for (const char *forma : {"left", "right"}) {
		string in = leggi(albero(forma, maxlivelli));
		esito r = esegui(temp(forma));
		EXPECT_EQ(r.status, 0);
		EXPECT_TRUE(uguale(r.out, id + modello(in))) << forma;
	}
}

TEST(Profondo, PastTheLimitStopsReading)
{
	string in = leggi(albero("left", maxlivelli + 2));
	esito r = esegui(temp("left"));
	EXPECT_EQ(r.status, 0);
	EXPECT_TRUE(
	        uguale(r.out, "albero troppo profondo\n" + id + modello(in, LONG_MAX, maxlivelli)));
}

#ifndef SANITIZED // the sanitizers reserve far more address space than these limits allow
const rlim_t stretto = 64 << 20;

// The nodes read before a message that stopped the reader.
long letti(const esito &r, const string &msg)
{
	if (r.out.compare(0, msg.size() + id.size(), msg + id) != 0)
		return -1;
	return static_cast<long>(std::count(r.out.begin(), r.out.end(), '\n') - 7) / 2;
}

TEST(Memoria, SmallTreeListsUnderATightLimit)
{
	esito r = esegui(EXAMPLES "/tree.txt", {}, stretto);
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(r.out, leggi(EXAMPLES "/tree.out"));
}

// Without room for a big thread stack the depth limit shrinks to what fits.
TEST(Memoria, ChainOnASmallStack)
{
	string in = leggi(albero("right", maxlivelli)), msg = "albero troppo profondo\n";
	esito r = esegui(temp("right"), {}, stretto);
	long k = letti(r, msg);
	EXPECT_EQ(r.status, 0);
	EXPECT_GT(k, 1000);
	EXPECT_TRUE(uguale(r.out, msg + id + modello(in, LONG_MAX, k)));
}

TEST(Memoria, TreeTooBigForTheHeap)
{
	const long nodi = 2000000;
	string in = leggi(albero("balanced", nodi)), msg = "niente memoria\n";
	esito r = esegui(temp("balanced"), {}, stretto);
	long k = letti(r, msg);
	EXPECT_EQ(r.status, 0);
	EXPECT_GT(k, 100000);
	EXPECT_LT(k, nodi);
	EXPECT_TRUE(uguale(r.out, msg + id + modello(in, k)));
}
#endif

TEST(Errori, UnwritableOutput)
{
	esito r = esegui(EXAMPLES "/tree.txt", {}, 0, "/dev/full");
	EXPECT_EQ(r.status, 1);
	EXPECT_NE(r.err.find("standard output"), string::npos) << r.err;
}

TEST(Errori, UnreadableInput)
{
	esito r = esegui("/");
	EXPECT_EQ(r.status, 1);
	EXPECT_NE(r.err.find("standard input"), string::npos) << r.err;
	EXPECT_EQ(r.out, id + "0 0\n\n");
}

// Random trees against a model: the generator knows where each character
// of a name begins, so it cuts and reverses names without decoding them.
struct casuale {
	std::mt19937 rng;
	string in;

	int tra(int a, int b)
	{
		return std::uniform_int_distribution<int>(a, b)(rng);
	}

	string sep()
	{
		return vector<string>{" ", "\n", "\t", "\r\n", " \v ", "\f"}[tra(0, 5)];
	}

	// A flag token and the value the listing shows for it.
	std::pair<string, long> flag(bool figlio)
	{
		if (!figlio)
			return {vector<string>{"0", "-0", "+0", "000"}[tra(0, 3)], 0};
		long v = tra(-2147483647 - 1, 2147483647);
		switch (tra(0, 3)) {
		case 0: return {"99999999999", 2147483647};
		case 1: return {"-4294967296", -2147483648};
		case 2: v = tra(1, 9); return {"+0" + std::to_string(v), v};
		default: v = v == 0 ? 1 : v; return {std::to_string(v), v};
		}
	}

	string nodo(int d)
	{
		// Characters a name is made of; the last piece is ill-formed UTF-8, a character per
		// byte.
		static const vector<vector<string>> pezzi = {{"a"},
		                                             {"Z"},
		                                             {"7"},
		                                             {"-"},
		                                             {"\xc3\xa9"},
		                                             {"\xe2\x82\xac"},
		                                             {"\xf0\x9f\x98\x80"},
		                                             {"\x80"},
		                                             {"\xff"},
		                                             {"\xc0"},
		                                             {"\xe2", "\x82", "x"}};
		bool l = d < 9 && tra(0, 9) < 5, r = d < 9 && tra(0, 9) < 5;
		auto [lt, lv] = flag(l);
		auto [rt, rv] = flag(r);
		vector<string> nome, tenuti;
		string parola, tenuto;
		size_t voglio = tra(0, 4) == 0 ? tra(45, 120) : tra(1, 49);
		while (parola.size() < voglio)
			for (const string &c : pezzi[tra(0, static_cast<int>(pezzi.size()) - 1)]) {
				nome.push_back(c);
				parola += c;
			}
		for (const string &c : nome) {
			if (tenuto.size() + c.size() > 49)
				break;
			tenuto += c;
			tenuti.push_back(c);
		}
		in += lt + sep() + rt + sep() + parola + sep();
		string s = std::to_string(lv) + " " + std::to_string(rv) + "\n";
		if (l)
			s += nodo(d + 1);
		if (r)
			s += nodo(d + 1);
		if (d % 3 == 0)
			std::reverse(tenuti.begin(), tenuti.end());
		for (const string &c : tenuti)
			s += c;
		return s + "\n";
	}
};

TEST(Proprieta, RandomTreesMatchTheModel)
{
#ifdef SANITIZED
	const unsigned semi = 40; // each sanitized run symbolizes its leak report
#else
	const unsigned semi = 300;
#endif
	for (unsigned seme = 1; seme <= semi; seme++) {
		casuale m{std::mt19937(seme), ""};
		string want = id + m.nodo(0);
		m.in += "5 5 unread";
		esito r = esegui(scrivi("random", m.in));
		ASSERT_EQ(r.status, 0);
		ASSERT_TRUE(uguale(r.out, want)) << "seed " << seme;
	}
}

} // namespace
