// The Java program the end-to-end tests launch. The system property "probe" picks what it does;
// every answer goes to stdout, in ASCII, one fact per line.
package app;

import java.io.File;
import java.util.concurrent.CountDownLatch;

public class Main {
    private static final CountDownLatch exitRequested = new CountDownLatch(1);

    public static void main(String[] args) throws Exception {
        String probe = System.getProperty("probe", "arguments");
        switch (probe) {
            case "arguments": printArguments(args); break;
            case "exit": System.exit(Integer.parseInt(args[0])); break;
            case "throw": throw new IllegalStateException("thrown by the probe");
            case "worker": startWorkerThenReturn(); break;
            case "join-main": startMainWatcherThenReturn(); break;
            case "properties": printProperties(args); break;
            case "facts": printFacts(); break;
            case "recursion": recurse(Integer.parseInt(args[0])); break;
            case "trap": waitForExitRequest(); break;
            case "trap-hold": holdAfterExitRequest(); break;
            case "fill": fillDisk(args); break;
            case "splash": System.out.println("splash=" + (java.awt.SplashScreen.getSplashScreen() != null)); break;
            default: throw new IllegalArgumentException("unknown probe " + probe);
        }
    }

    // Called by the launcher's console trap.
    public static void initiateExit(int code) {
        System.out.println("initiateExit(" + code + ")");
        System.out.flush();
        exitRequested.countDown();
    }

    // Writes the file args[0] until its volume is full, then ends with the exit code args[1].
    private static void fillDisk(String[] args) throws Exception {
        byte[] block = new byte[1 << 20];
        try (java.io.FileOutputStream out = new java.io.FileOutputStream(args[0])) {
            while (true) out.write(block);
        } catch (java.io.IOException full) {
            System.out.println("full");
        }
        if (args.length > 1) System.exit(Integer.parseInt(args[1]));
    }

    // One line per argument; a character outside printable ASCII, and the backslash, is written as
    // a backslash, "u" and four hex digits, so that the output does not depend on the console's
    // encoding.
    private static void printArguments(String[] args) {
        System.out.println("count=" + args.length);
        for (String arg : args) System.out.println("arg=" + escape(arg));
    }

    private static String escape(String text) {
        StringBuilder out = new StringBuilder();
        for (char c : text.toCharArray()) {
            if (c >= 0x20 && c < 0x7f && c != '\\') out.append(c);
            else out.append(String.format("\\u%04x", (int) c));
        }
        return out.toString();
    }

    private static void startWorkerThenReturn() {
        Thread worker = new Thread(() -> {
            try {
                Thread.sleep(1000);
            } catch (InterruptedException e) {
                return;
            }
            System.out.println("worker done");
        });
        worker.start();
        System.out.println("main returns");
    }

    // A watcher that waits for the main thread to end, as shutdown watchers do.
    private static void startMainWatcherThenReturn() {
        Thread main = Thread.currentThread();
        Thread watcher = new Thread(() -> {
            try {
                main.join();
            } catch (InterruptedException e) {
                return;
            }
            System.out.println("main has ended");
        });
        watcher.start();
        System.out.println("main returns");
    }

    private static void printProperties(String[] names) {
        for (String name : names) System.out.println(name + "=" + escape(String.valueOf(System.getProperty(name))));
    }

    private static void printFacts() throws Exception {
        System.out.println("pid=" + ProcessHandle.current().pid());
        System.out.println("process.id=" + System.getProperty("process.id"));
        System.out.println("maxMemory=" + Runtime.getRuntime().maxMemory());
        System.out.println("cwd=" + new File(".").getCanonicalPath());
        System.out.println("user.dir=" + System.getProperty("user.dir"));
    }

    // Recurses `depth` levels deep; a StackOverflowError is caught and reported, so that the
    // program still ends normally.
    private static void recurse(int depth) {
        try {
            System.out.println("reached depth " + down(depth, 0L, 0L));
        } catch (StackOverflowError e) {
            System.out.println("caught StackOverflowError");
        }
    }

    private static int down(int n, long a, long b) {
        if (n == 0) return 0;
        return down(n - 1, a + 1, b ^ n) + 1;
    }

    private static void waitForExitRequest() throws InterruptedException {
        System.out.println("ready");
        System.out.flush();
        exitRequested.await();
        System.out.println("main goes on");
    }

    private static void holdAfterExitRequest() throws InterruptedException {
        System.out.println("ready");
        System.out.flush();
        Thread.sleep(60_000);
        System.out.println("not ended by the signal");
    }
}
