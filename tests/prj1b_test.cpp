// End-to-end tests: prj1b runs as a user runs it, with the input on standard
// input; standard output, standard error and the exit status are compared.

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/personality.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <sstream>
#include <stdexcept>

#ifndef EMULATORE
#define EMULATORE // the program runs here, under no emulator
#endif

namespace fs = std::filesystem;
using std::string;
using std::vector;

namespace {

const string id = "Tavrel Onbek\nRuvis Melqard\n07\n12\n2026\ntavrel.onbek@example.org\n";
const long maxlivelli = 1000000; // the depth limit the README states

struct esito {
	string out, err;
	int status = 0;
	bool partito = true; // the program reached main
};

// A file the tests need and cannot open fails the test that reads it, by
// name: read as empty, it would pass for an empty input.
string leggi(const fs::path &p)
{
	std::ifstream f(p, std::ios::binary);
	if (!f)
		throw std::runtime_error("cannot open " + p.string());
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

// What a child runs under, beyond its input and output: limits on its address
// space and stack (0 leaves one as it is), a variable for its environment, a
// descriptor to read instead of the input file, whether it may make no thread
// at all, whether its layout is randomised even under a limit, whether it sees
// no /proc, a system call on its standard output that fails and the errno it
// fails with, and a limit on the size of the files it writes.
struct vincoli {
	rlim_t as = 0, pila = 0;
	const char *env = nullptr;
	int fd = -1;
	bool unico = false, caso = false, noproc = false;
	long guasto = -1;
	int errore = 0;
	rlim_t file = 0;
};

bool limita(int risorsa, rlim_t n)
{
	struct rlimit r = {n, n};
	return n == 0 || setrlimit(risorsa, &r) == 0;
}

// No thread can be made by a user allowed one process, which it is. Root
// is exempt from that limit, so it becomes nobody first.
bool solo()
{
	const uid_t nobody = 65534;
	if (getuid() == 0 &&
	    (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0))
		return false;
	return limita(RLIMIT_NPROC, 1);
}

// A mount namespace of its own, whose /proc is empty, as in a container
// that mounts none. Only root may make one.
bool senzaproc()
{
	return unshare(CLONE_NEWNS) == 0 &&
	       mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
	       mount("none", "/proc", "tmpfs", 0, nullptr) == 0;
}

// System call nr fails with errno err on standard output, as close does
// with EIO on NFS when data written earlier could not be stored after all.
bool guasta(long nr, int err)
{
	// The low half of the descriptor, a 64-bit argument.
	const auto arg =
	        static_cast<unsigned>(offsetof(seccomp_data, args) + (htonl(1) == 1 ? 4 : 0));
	sock_filter f[] = {
	        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
	        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<unsigned>(nr), 0, 3),
	        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, arg),
	        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, 1, 0, 1),
	        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<unsigned>(err)),
	        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
	};
	sock_fprog prog = {sizeof f / sizeof f[0], f};
	return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
	       prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) == 0;
}

// Whether a child that has ended, not yet reaped, ignored SIGXFSZ, as prj1b
// does once main starts: a run without it never got that far, whether the
// exec, the loader or the kernel stopped it. Under an emulator it is the
// emulator's own state, so there every run counts as started.
bool partito(pid_t pid)
{
#ifdef EMULATED
	return true;
#endif
	std::ifstream f("/proc/" + std::to_string(pid) + "/status");
	string riga;
	while (std::getline(f, riga))
		if (riga.compare(0, 7, "SigIgn:") == 0)
			return (std::stoull(riga.substr(7), nullptr, 16) >> (SIGXFSZ - 1) & 1) != 0;
	return false;
}

// Runs prog on the file `in`, standard output to `out`; *avvio tells
// whether prj1b reached main. Under a limit the layout of the address space
// is not randomised unless asked, so that each point of a sweep is one
// deterministic run. The input is opened here, so that a file the tests
// lack fails the test by name, not as the child's status.
int lancia(vector<string> args, const fs::path &in, const fs::path &out, const vincoli &v = {},
           bool *avvio = nullptr)
{
	fs::path e = temp("err");
	int fi = v.fd >= 0 ? v.fd : open(in.c_str(), O_RDONLY);
	if (fi < 0)
		throw std::runtime_error("cannot open " + in.string());
	pid_t pid = fork();
	if (pid == 0) {
		int fo = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
		    fe = open(e.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
		if (fo < 0 || fe < 0 || dup2(fi, 0) < 0 || dup2(fo, 1) < 0 || dup2(fe, 2) < 0)
			_exit(126);
		if ((v.as != 0 || v.pila != 0) && !v.caso && personality(ADDR_NO_RANDOMIZE) == -1)
			_exit(126);
		if (!limita(RLIMIT_AS, v.as) || !limita(RLIMIT_STACK, v.pila) ||
		    !limita(RLIMIT_FSIZE, v.file) || signal(SIGXFSZ, SIG_DFL) == SIG_ERR ||
		    (v.env != nullptr && putenv(const_cast<char *>(v.env)) != 0) ||
		    (v.noproc && !senzaproc()) || (v.unico && !solo()) ||
		    (v.guasto >= 0 && !guasta(v.guasto, v.errore)))
			_exit(126);
		vector<char *> argv;
		argv.reserve(args.size() + 1);
		for (string &a : args)
			argv.push_back(a.data());
		argv.push_back(nullptr);
		execvp(argv[0], argv.data());
		_exit(127);
	}
	if (fi != v.fd)
		close(fi);
	int st = 0;
	siginfo_t si = {};
	waitid(P_PID, pid, &si, WEXITED | WNOWAIT);
	if (avvio != nullptr)
		*avvio = partito(pid);
	waitpid(pid, &st, 0);
	return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

// The program, copied once where any user may run it: the build folder may
// be in root's home.
string programma(const vincoli &v)
{
	if (!v.unico)
		return PRJ1B;
	static const fs::path copia = [] {
		fs::path p = temp("prj1b");
		fs::copy_file(PRJ1B, p, fs::copy_options::overwrite_existing);
		fs::permissions(cartella(), fs::perms::all & ~fs::perms::group_write &
		                                    ~fs::perms::others_write);
		return p;
	}();
	return copia;
}

esito esegui(const fs::path &in, const vector<string> &args = {}, const vincoli &v = {},
             const fs::path &out = {})
{
	vector<string> argv = {EMULATORE programma(v)};
	argv.insert(argv.end(), args.begin(), args.end());
	bool avvio = false;
	int status = lancia(argv, in, out.empty() ? temp("out") : out, v, &avvio);
	return {out.empty() ? leggi(temp("out")) : "", leggi(temp("err")), status, avvio};
}

// A tree of the given shape and size from tools/gentree, as a file. A
// gentree that never stops meets the file size limit, not a full disk.
fs::path albero(const string &forma, long nodi)
{
	fs::path p = temp(forma);
	vincoli v;
	v.file = rlim_t{1} << 30;
	if (lancia({GENTREE, forma, std::to_string(nodi)}, "/dev/null", p, v) != 0)
		throw std::runtime_error("gentree " + forma + " failed");
	return p;
}

// gentree's size and seed are whole numbers, all of the word, the size up
// to 2^62: anything else is a usage error, never the number it begins with.
// A size read wrong as a huge one meets the file size limit.
TEST(Gentree, SizeAndSeedAreWholeNumbers)
{
	vincoli v;
	v.file = 1 << 20;
	fs::path out = temp("tree");
	for (const char *n :
	     {"3x", "", "+3", "-3", "0", " 3", "99999999999999999999", "4611686018427387905"})
		for (const char *forma : {"balanced", "left", "right", "random"})
			EXPECT_EQ(lancia({GENTREE, forma, n}, "/dev/null", out, v), 2)
			        << forma << " size '" << n << "'";
	EXPECT_NE(lancia({GENTREE, "balanced", "4611686018427387904"}, "/dev/null", out, v), 2);
	// balanced is the complete tree, each level full before the next begins.
	const std::regex flag("([01] [01]) [^\n]*");
	EXPECT_EQ(std::regex_replace(leggi(albero("balanced", 10)), flag, "$1"),
	          "1 1\n1 1\n1 1\n0 0\n0 0\n1 0\n0 0\n1 1\n0 0\n0 0\n");
	EXPECT_EQ(std::regex_replace(leggi(albero("balanced", 11)), flag, "$1"),
	          "1 1\n1 1\n1 1\n0 0\n0 0\n1 1\n0 0\n0 0\n1 1\n0 0\n0 0\n");
	for (const char *s : {"7x", "-1", ""})
		EXPECT_EQ(lancia({GENTREE, "balanced", "3", s}, "/dev/null", out, v), 2)
		        << "seed '" << s << "'";
	EXPECT_EQ(lancia({GENTREE, "balanced", "3", "7"}, "/dev/null", out, v), 0);
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

// Every NAME.txt under tests/cases and examples gives exactly NAME.out. A
// maintainer may remove every pair, and git their folder with them.
vector<string> casi()
{
	vector<string> v;
	for (const char *dir : {CASES, EXAMPLES}) {
		if (!fs::exists(dir))
			continue;
		for (const auto &f : fs::directory_iterator(dir))
			if (f.path().extension() == ".txt")
				v.push_back(f.path());
	}
	std::sort(v.begin(), v.end());
	return v;
}

class Casi : public testing::TestWithParam<string> {};

// glibc's malloc fills what it gives with garbage here, as reused memory
// would hold, rather than the zeros of fresh pages.
TEST_P(Casi, Listing)
{
	fs::path in = GetParam();
	esito r = esegui(in, {}, {0, 0, "MALLOC_PERTURB_=165"});
	EXPECT_TRUE(r.partito); // else the sweep could skip every run
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

// From a file, what follows the tree is left for the next reader, as
// `(prj1b > /dev/null; cat) < file` shows. Windows' C runtime reads ahead.
TEST(Ingresso, FileOffsetLeftPastTheTree)
{
#ifdef WINDOWS
	GTEST_SKIP() << "on Windows the offset is where the C runtime left it";
#endif
	char resto[64] = {};
	int fd = open(scrivi("trailing", "0 0 leaf 0 0 more\n").c_str(), O_RDONLY);
	esito r = esegui("", {}, {0, 0, nullptr, fd});
	ssize_t n = fd >= 0 ? read(fd, resto, sizeof resto) : -1;
	if (fd >= 0)
		close(fd);
	EXPECT_EQ(r.status, 0);
	EXPECT_EQ(string(resto, static_cast<size_t>(std::max<ssize_t>(n, 0))), " 0 0 more\n");
}

// The characters of a name, as the listing reverses them: a well-formed
// UTF-8 sequence (Unicode's table 3-7) is one, and every other byte is one
// of its own.
vector<string> caratteri(const string &s)
{
	vector<string> v;
	auto b = [&](size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0U; };
	for (size_t i = 0, n; i < s.size(); i += n) {
		unsigned c = b(i),
		         lo = c == 0xe0   ? 0xa0
		              : c == 0xf0 ? 0x90
		                          : 0x80,
		         hi = c == 0xed   ? 0x9f
		              : c == 0xf4 ? 0x8f
		                          : 0xbf;
		n = c < 0xc2 || c > 0xf4 ? 1 : c < 0xe0 ? 2 : c < 0xf0 ? 3 : 4;
		bool ok = n == 1 || (b(i + 1) >= lo && b(i + 1) <= hi);
		for (size_t k = 2; k < n; k++)
			ok = ok && b(i + k) >= 0x80 && b(i + k) <= 0xbf;
		n = ok ? n : 1;
		v.push_back(s.substr(i, n));
	}
	return v;
}

// The listing of a well-formed input, had reading stopped at `nodi` nodes
// or `livelli` levels: flags saturated to 32 bits; names cut to the
// characters that fit whole in 49 bytes, ended by a zero byte, and reversed
// at depths 0, 3, 6, ... Iterative, so a chain of any depth fits.
string modello(const string &in, long nodi = LONG_MAX, long livelli = LONG_MAX)
{
	struct nodo {
		long d = 0;
		bool l = false, r = false;
		string nome;
		int fase = 0;
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
		long long l = 0, r = 0;
		string parola, nome;
		ss >> l >> r >> parola;
		letti++;
		for (const string &c : caratteri(parola))
			if ((nome += c).size() > 49) {
				nome.resize(nome.size() - c.size());
				break;
			}
		if (size_t zero = nome.find('\0'); zero != string::npos)
			nome.resize(zero);
		l = std::clamp<long long>(l, INT_MIN, INT_MAX);
		r = std::clamp<long long>(r, INT_MIN, INT_MAX);
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
			vector<string> c = caratteri(nome);
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

// gentree's chain, one level past the limit, whose every node also promises
// a right subtree: once the limit has cut the tree, none of them may be read.
string profondo()
{
	string in = leggi(albero("left", maxlivelli + 2)); // every line ends in a newline
	for (size_t i = 0; i < in.size(); i = in.find('\n', i) + 1)
		if (in.compare(i, 4, "1 0 ") == 0)
			in[i + 2] = '1';
	for (long i = 0; i < 10; i++)
		in += "0 0 r\n";
	return in;
}

TEST(Profondo, PastTheLimitStopsReading)
{
	string in = profondo();
	esito r = esegui(scrivi("deep", in));
	EXPECT_EQ(r.status, 1);
	EXPECT_TRUE(
	        uguale(r.out, "albero troppo profondo\n" + id + modello(in, LONG_MAX, maxlivelli)));
}

// The nodes read, from a listing that may follow a message.
long letti(const esito &r)
{
	return static_cast<long>(std::count(r.out.begin(), r.out.end(), '\n') - 6 - r.status) / 2;
}

// A listing cut short by a limit: its message, then exactly what was read,
// and status 1. Gives the nodes read, or -1 (and a failure) where it is not.
long tagliato(const esito &r, const string &in, std::map<long, string> &modelli)
{
	long k = letti(r);
	string msg = r.out.substr(0, r.out.find('\n') + 1);
	if (!modelli.count(k))
		modelli[k] = modello(in, k);
	EXPECT_EQ(r.status, 1);
	EXPECT_TRUE(msg == "albero troppo profondo\n" || msg == "niente memoria\n") << msg;
	EXPECT_TRUE(uguale(r.out, msg + id + modelli[k]));
	return r.status == 1 ? k : -1;
}

// The nodes listed by a run that must give the whole listing with status 0
// or one cut short by a limit; never a signal. modelli[-1] is the whole.
long listati(const esito &r, const string &in, std::map<long, string> &modelli)
{
	if (!modelli.count(-1))
		modelli[-1] = modello(in);
	if (r.status == 0 && uguale(r.out, id + modelli[-1]))
		return static_cast<long>(std::count(r.out.begin(), r.out.end(), '\n') - 6) / 2;
	return tagliato(r, in, modelli);
}

// Where no thread can be made, the stages run on the main thread, as deep as
// its stack limit lets them: 8 MiB cuts the chain short, and unlimited is cut
// by maxlivelli alone. Under an address-space limit, a tree that fills the heap
// before it goes deep must find its stack still there. The arguments and the
// environment take their part of the stack first. Never a signal.
TEST(Profondo, WithoutAThread)
{
	std::map<long, string> modelli;
	string in = profondo();
	fs::path f = scrivi("deep", in);
	const rlim_t mib = 1 << 20, pile[] = {8 * mib, RLIM_INFINITY};

#ifdef EMULATED
	GTEST_SKIP() << "the emulator makes threads of its own";
#endif
#ifdef SANITIZED
	GTEST_SKIP() << "the sanitizers make threads of their own";
#endif
	if (!esegui(EXAMPLES "/tree.txt", {}, {0, 0, nullptr, -1, true}).partito)
		GTEST_SKIP() << "cannot run the program as a user allowed one process";
	for (rlim_t pila : pile) {
		SCOPED_TRACE(testing::Message() << "ulimit -u 1 -s " << (pila >> 10));
		esito r = esegui(f, {}, {0, pila, nullptr, -1, true});
		long k = tagliato(r, in, modelli);
		EXPECT_EQ(r.out.substr(0, 23), "albero troppo profondo\n");
		// A thread would have had the stack for all maxlivelli levels.
		EXPECT_TRUE(pila == RLIM_INFINITY ? k == maxlivelli : k > 1000 && k < maxlivelli)
		        << k;
	}
	// Under -v 64 MiB: a balanced tree that fills the heap but for the
	// nodes of a chain as deep as the depth limit, then that chain. Both
	// measured first, so that the fit is tight on any machine: a stack not
	// mapped ahead finds no room left to grow.
	const vincoli v64 = {64 * mib, 8 * mib, nullptr, -1, true};
	long livelli = tagliato(esegui(f, {}, v64), in, modelli);
	fs::path g = albero("balanced", 1000000);
	string grande = leggi(g);
	std::map<long, string> suoi;
	long nodi = tagliato(esegui(g, {}, v64), grande, suoi);
	string pieno = "1 1 root\n" + leggi(albero("balanced", nodi - livelli - 1)) +
	               leggi(albero("left", livelli + 1000));
	suoi.clear();
	SCOPED_TRACE(testing::Message() << "ulimit -u 1 -s 8192 -v 65536, " << nodi - livelli - 1
	                                << " nodes, then " << livelli + 1000 << " levels");
	listati(esegui(scrivi("full", pieno), {}, v64), pieno, suoi);
	static const string ambiente = "GRANDE=" + string(size_t{48} << 10, 'e');
	for (rlim_t as : {rlim_t(0), 100 * mib}) {
		SCOPED_TRACE(testing::Message()
		             << "ulimit -u 1 -s 64 -v " << (as >> 10) << ", 48 KiB of environment");
		tagliato(esegui(f, {}, {as, mib / 16, ambiente.c_str(), -1, true}), in, modelli);
	}
	const vector<string> argomenti(3, string(100000, 'a'));
	std::map<long, string> albero7;
	SCOPED_TRACE("ulimit -u 1 -s 8192 -v 102400, 300 KB of arguments");
	listati(esegui(EXAMPLES "/tree.txt", argomenti, {100 * mib, 8 * mib, nullptr, -1, true}),
	        leggi(EXAMPLES "/tree.txt"), albero7);
}

#ifndef SANITIZED // the sanitizers reserve far more address space than these limits allow
// Each pair of limits on the stack and the address space, from 16 KiB and
// 2 MiB to none: the listing is whole with status 0, or cut short as above;
// never a signal. A run that never reached main is skipped: where the
// loader stops lies with the machine, not the program. From 1 MiB above
// the lowest limit it started under, a higher limit never reads fewer
// nodes, and a small tree is always listed whole.
class Limiti : public testing::TestWithParam<string> {};

TEST_P(Limiti, NoCrashAndNoShrinking)
{
#ifdef EMULATED
	GTEST_SKIP() << "ulimit would bound the emulator, not the program";
#endif
	const string &forma = GetParam();
	const std::map<string, long> nodi_di = {
	        {"tree", 0}, {"left", 130000}, {"balanced", 2000000}};
	long nodi = nodi_di.at(forma);
	fs::path f = nodi == 0 ? fs::path(EXAMPLES "/tree.txt") : albero(forma, nodi);
	string in = leggi(f);
	std::map<long, string> modelli = {{-1, modello(in)}};
	long tutti =
	        static_cast<long>(std::count(modelli[-1].begin(), modelli[-1].end(), '\n')) / 2;
	const rlim_t kib = 1024, mib = kib * kib, mai = RLIM_INFINITY;

	// From 2 MiB, where the program cannot even load, up to 3 MiB, each
	// 64 KiB: whatever little is left, no signal. Near the floor, what the
	// loader mapped before main is most of the limit, and the smallest
	// thread stack may not fit.
	vector<rlim_t> limiti;
	for (rlim_t as = 2 * mib; as < 3 * mib; as += 64 * kib)
		limiti.push_back(as);
	for (rlim_t as : {3072 * kib, 3328 * kib, 3584 * kib, 16 * mib, 24 * mib, 32 * mib,
	                  64 * mib, 256 * mib, 1024 * mib, 4096 * mib, mai})
		limiti.push_back(as);
	// Three stacks, one run a point. For the small tree also: stacks of a
	// few pages with the layout randomised, as it is by default, five runs a
	// point; and, where the tests run as root, no /proc, with and without a
	// thread.
	vector<std::pair<vincoli, int>> modi;
	for (rlim_t pila : {16 * kib, 8 * mib, mai})
		modi.push_back({{0, pila}, 1});
	if (nodi == 0) {
		for (rlim_t pila : {16 * kib, 24 * kib, 32 * kib, 40 * kib})
			modi.push_back({{0, pila, nullptr, -1, false, true}, 5});
	}
	if (nodi == 0 && getuid() == 0) {
		for (bool unico : {false, true})
			modi.push_back({{0, 8 * mib, nullptr, -1, unico, false, true}, 1});
	}
	for (auto &[v, volte] : modi) {
		long prima = 0;
		rlim_t base = 0;
		for (size_t i = 0; i < limiti.size() * volte; i++) {
			v.as = limiti[i / volte];
			esito r = esegui(f, {}, v);
			if (!r.partito)
				continue; // the program cannot even start
			base = base != 0 ? base : v.as;
			SCOPED_TRACE(testing::Message()
			             << forma << ", ulimit -s " << v.pila / kib << " -v "
			             << v.as / kib << (v.caso ? ", randomised" : "")
			             << (v.noproc ? ", no /proc" : "")
			             << (v.unico ? ", no thread" : ""));
			long k = listati(r, in, modelli);
			if (!v.caso && v.as >= base + mib) {
				EXPECT_GE(k, prima);
				// Only a limit on the address space may cut a big tree short.
				EXPECT_TRUE(k == tutti || (nodi != 0 && v.as != mai));
			}
			prima = k;
		}
	}
}

INSTANTIATE_TEST_SUITE_P(Sweep, Limiti, testing::Values("tree", "left", "balanced"),
                         [](const auto &p) { return p.param; });
#else
// The sanitizers cannot run under an address-space limit, but their
// allocator can be made to fail once the process grows past a size.
TEST(Memoria, TreeTooBigForTheHeap)
{
	std::map<long, string> modelli;
	string in = leggi(albero("balanced", 2000000));
	esito r = esegui(temp("balanced"), {},
	                 {0, 0, "ASAN_OPTIONS=allocator_may_return_null=1:soft_rss_limit_mb=400"});
	EXPECT_EQ(r.out.substr(0, 15), "niente memoria\n");
	EXPECT_GT(tagliato(r, in, modelli), 100000);
}
#endif

// The small listing fails at the final flush, the big one at a write in
// mid-listing: on a full device, past ulimit -f, and with an errno the C
// library has no text for, which under -v 16 MiB it can make no text for
// either once the big tree has exhausted the heap. The close may fail last
// of all. Each names the error of the call that failed.
TEST(Errori, UnwritableOutput)
{
	vincoli corto, ignoto, chiuso;
	corto.file = 100; // bytes
	ignoto.as = rlim_t{16} << 20;
	ignoto.guasto = SYS_write;
	ignoto.errore = 200;
	chiuso.guasto = SYS_close;
	chiuso.errore = EIO;
	for (const fs::path &f : {fs::path(EXAMPLES "/tree.txt"), albero("balanced", 600000)}) {
		esito r = esegui(f, {}, {}, "/dev/full");
		EXPECT_EQ(r.status, 1) << f;
		EXPECT_EQ(r.err, "prj1b: standard output: No space left on device\n") << f;
#ifndef WINDOWS // wine has reasons of its own for these
		r = esegui(f, {}, corto);
		EXPECT_EQ(r.status, 1) << f;
		EXPECT_EQ(r.err, "prj1b: standard output: File too large\n") << f;
		r = esegui(f, {}, chiuso);
		EXPECT_EQ(r.status, 1) << f;
		EXPECT_EQ(r.err, "prj1b: standard output: Input/output error\n") << f;
#endif
#if !defined(EMULATED) && !defined(SANITIZED) // -v would bound the emulator or the sanitizers
		r = esegui(f, {}, ignoto);
		EXPECT_EQ(r.status, 1) << f;
		// Never "(null)". Debian 13's glibc gives a text of its own there.
		EXPECT_TRUE(r.err == "prj1b: standard output: Unknown error 200\n" ||
		            r.err == "prj1b: standard output: Unknown error\n")
		        << f << ": " << r.err;
#endif
	}
}

// Whether err is the message for a read that failed with the given reason.
// Windows' C runtime gives reasons of its own (wine's: Invalid argument for
// both failures here), so there any reason will do.
testing::AssertionResult lettura(const string &err, [[maybe_unused]] const string &perche)
{
	const string inizio = "prj1b: standard input: ";
#ifdef WINDOWS
	bool ok = err.size() > inizio.size() + 1 && err.compare(0, inizio.size(), inizio) == 0 &&
	          err.back() == '\n';
#else
	bool ok = err == inizio + perche + "\n";
#endif
	if (ok)
		return testing::AssertionSuccess();
	return testing::AssertionFailure() << "standard error: \"" << err << "\"";
}

TEST(Errori, UnreadableInput)
{
	esito r = esegui("/");
	EXPECT_EQ(r.status, 1);
	EXPECT_TRUE(lettura(r.err, "Is a directory"));
	EXPECT_EQ(r.out, id + "0 0\n\n");
}

// The reading end of a stream socket whose peer has sent `parte` and then
// closed with data of its own unread, which on Linux resets the stream as a
// TCP reset does. A socket pair needs no network, not even loopback.
int interrotta(const string &parte)
{
	int sv[2];

	if (socketpair(AF_UNIX, SOCK_STREAM, 0, sv) != 0)
		throw std::runtime_error("no socket pair");
	bool ok = write(sv[0], parte.data(), parte.size()) == static_cast<ssize_t>(parte.size()) &&
	          write(sv[1], "x", 1) == 1;
	close(sv[0]);
	if (!ok) {
		close(sv[1]);
		throw std::runtime_error("cannot fill the socket pair");
	}
	return sv[1];
}

// Standard input is a connection reset after each byte of inputs whose
// trees end with their last byte: what had arrived is listed as the same
// bytes are from a file, the promised subtrees as empty leaves, and the
// failure is named. Only the whole input, its last name ended, gives 0.
TEST(Errori, ConnectionResetAfterEveryByte)
{
	const std::map<string, string> entrate = {
	        {"both children", "1 1 abc 0 0 de 0 0 fgh\n"},
	        {"signs", "+1 -0 ab +0 0 cd\n"},
	        {"flag cut by a letter", "12ab x\n"},
	        {"name of 50 bytes",
	         "1 0 abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWX\n0 0 x\n"},
	        {"last name past 49 bytes", "1 0 a 0 0 " + string(60, 'n') + "\n"},
	};
	for (const auto &[caso, in] : entrate) {
		for (size_t k = 0; k <= in.size(); k++) {
			SCOPED_TRACE(testing::Message()
			             << caso << ", reset after " << k << " bytes");
			esito file = esegui(scrivi("prefix", in.substr(0, k)));
			int s = interrotta(in.substr(0, k));
			esito r = esegui("", {}, {0, 0, nullptr, s});
			close(s);
			EXPECT_EQ(file.status, 0);
			EXPECT_EQ(r.out, file.out);
			if (k < in.size()) {
				EXPECT_EQ(r.status, 1);
				EXPECT_TRUE(lettura(r.err, "Connection reset by peer"));
			} else {
				EXPECT_EQ(r.status, 0);
				EXPECT_EQ(r.err, "");
			}
		}
	}
}

// Random trees of every kind of flag, whitespace and name, ill-formed UTF-8
// and words past 49 bytes included.
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

	string flag(bool figlio)
	{
		if (!figlio)
			return vector<string>{"0", "-0", "+0", "000"}[tra(0, 3)];
		int v = tra(-2147483647 - 1, 2147483647);
		switch (tra(0, 3)) {
		case 0: return "99999999999";
		case 1: return "-4294967296";
		case 2: return "+0" + std::to_string(tra(1, 9));
		default: return std::to_string(v == 0 ? 1 : v);
		}
	}

	void nodo(int d)
	{
		static const vector<string> pezzi = {
		        "a", "Z", "7", "-", "\xc3\xa9", "\xe2\x82\xac", "\xf0\x9f\x98\x80", "\x80",
		        "\xff", "\xc0", "\xe2\x82x",
		        // the second byte at each edge of its range after E0, ED, F0, F4
		        "\xe0\x9f\xbf", "\xe0\xa0\x80", "\xed\x9f\xbf", "\xed\xa0\x80",
		        "\xf0\x8f\xbf\xbf", "\xf0\x90\x80\x80", "\xf4\x8f\xbf\xbf",
		        "\xf4\x90\x80\x80"};
		bool l = d < 9 && tra(0, 9) < 5, r = d < 9 && tra(0, 9) < 5;
		string parola;
		size_t voglio = tra(0, 4) == 0 ? tra(45, 120) : tra(1, 49);
		while (parola.size() < voglio)
			parola += pezzi[tra(0, static_cast<int>(pezzi.size()) - 1)];
		in += flag(l) + sep() + flag(r) + sep() + parola + sep();
		if (l)
			nodo(d + 1);
		if (r)
			nodo(d + 1);
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
		m.nodo(0);
		string want = id + modello(m.in);
		m.in += "5 5 unread";
		esito r = esegui(scrivi("random", m.in));
		ASSERT_EQ(r.status, 0) << "seed " << seme << ": " << r.err << r.out.substr(0, 200);
		ASSERT_TRUE(uguale(r.out, want)) << "seed " << seme;
	}
}

} // namespace
