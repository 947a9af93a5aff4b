// The example application: greets, then lists the arguments it was given, numbered from 1.
package hello;

public class Hello {
    public static void main(String[] args) {
        System.out.println("Hello from Wexal!");
        for (int i = 0; i < args.length; i++) {
            System.out.println("argument " + (i + 1) + ": " + args[i]);
        }
    }
}
